#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

// {2C903EFC-5DA5-4A2E-A18B-8E1830481456}: answered only by ComPage, with the
// object itself, so that a page coming back from a caller can be traced to
// the host's page. Never marshalled: the host and the add-in share an apartment.
const IID kIidHostPage = {0x2c903efc, 0x5da5, 0x4a2e, {0xa1, 0x8b, 0x8e, 0x18, 0x30, 0x48, 0x14, 0x56}};

class ComPage final : public NamedObject<ComPage> {
public:
    explicit ComPage(PageRef page) : NamedObject(roles::kPage, HostLibrary::Publisher), page_(std::move(page)) {}

    static std::span<const Member<ComPage>> members() {
        static constexpr Member<ComPage> kMembers[] = {
            {L"PageNumber", kGet, 0, 0, &answeredBy<&Page::number>},
            {L"PageIndex", kGet, 0, 0, &answeredBy<&Page::index>, false, &HostCapabilities::pageIndex},
            {L"Shapes", kGet, 0, 0, &answeredBy<&Page::shapes>, false, &HostCapabilities::pageShapes},
        };
        return kMembers;
    }

    Page& host() { return *page_; }
    const PageRef& page() const { return page_; }

private:
    HRESULT otherInterface(REFIID iid, void** object) override {
        if (IsEqualIID(iid, kIidHostPage)) *object = static_cast<FaceOwner*>(this);
        return S_OK;
    }

    PageRef page_;
};

}  // namespace

using PagesObject = PlainObject<PageCollection>;

template <>
std::span<const Member<PagesObject>> PagesObject::members() {
    static constexpr Member<PagesObject> kMembers[] = {
        {L"Item", kCollectionItem, 1, 1, &answeredBy<&PageCollection::item>},
        {L"Count", kGet, 0, 0, &answeredBy<&PageCollection::count>},
    };
    return kMembers;
}

HRESULT wrap(PageRef object, IDispatch** out) { return newObject<ComPage>(out, std::move(object)); }

HRESULT wrap(PageCollectionRef object, IDispatch** out) {
    return newObject<PagesObject>(out, std::move(object), roles::kPageCollection, HostLibrary::Publisher);
}

PageRef hostPageOf(IDispatch* page) {
    if (!page) return nullptr;
    void* ours = nullptr;
    if (FAILED(page->QueryInterface(kIidHostPage, &ours)) || !ours) return nullptr;
    // Only ComPage answers kIidHostPage, with itself, counted.
    auto* host = static_cast<ComPage*>(static_cast<FaceOwner*>(ours));
    PageRef found = host->page();
    host->release();
    return found;
}

}  // namespace quillet::simhost::com
