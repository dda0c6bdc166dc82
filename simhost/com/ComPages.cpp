#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

// {2C903EFC-5DA5-4A2E-A18B-8E1830481456}: answered only by ComPage, with its
// ::Page pointer, so that a page coming back from a caller can be traced to
// the host's page. Never marshalled: the host and the add-in share an apartment.
const IID kIidHostPage = {0x2c903efc, 0x5da5, 0x4a2e, {0xa1, 0x8b, 0x8e, 0x18, 0x30, 0x48, 0x14, 0x56}};

class ComPage final : public DualObject<::Page, HostLibrary::Publisher> {
public:
    explicit ComPage(PageRef page) : page_(std::move(page)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object && IsEqualIID(iid, kIidHostPage)) {
            *object = static_cast<::Page*>(this);
            AddRef();
            return S_OK;
        }
        return DualObject::QueryInterface(iid, object);
    }

    HRESULT STDMETHODCALLTYPE get_PageNumber(BSTR* result) override {
        return guard([&] { return answer(page_->number(), result); });
    }

    const PageRef& page() const { return page_; }

private:
    PageRef page_;
};

class ComPageCollection final : public DualObject<::PageCollection, HostLibrary::Publisher> {
public:
    explicit ComPageCollection(PageCollectionRef pages) : pages_(std::move(pages)) {}

    HRESULT STDMETHODCALLTYPE Item(LONG index, ::Page** result) override {
        return guard([&] { return answer(pages_->item(index), result); });
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* result) override {
        return guard([&] { return answer(pages_->count(), result); });
    }

private:
    PageCollectionRef pages_;
};

}  // namespace

HRESULT Wrap(PageRef object, ::Page** out) { return NewObject<ComPage>(out, std::move(object)); }

HRESULT Wrap(PageCollectionRef object, ::PageCollection** out) {
    return NewObject<ComPageCollection>(out, std::move(object));
}

PageRef HostPageOf(::Page* page) {
    if (!page) return nullptr;
    ComPtr<::Page> ours;
    if (FAILED(page->QueryInterface(kIidHostPage, reinterpret_cast<void**>(ours.out()))) || !ours) return nullptr;
    // Only ComPage answers kIidHostPage, with itself.
    return static_cast<ComPage*>(ours.get())->page();
}

}  // namespace quillet::simhost::com
