#include "simhost/com/ComHost.h"
#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

class ComApplication final : public DualObject<::Application, HostLibrary::Publisher> {
public:
    explicit ComApplication(ApplicationRef application) : application_(std::move(application)) {}

    HRESULT STDMETHODCALLTYPE get_ActivePublication(::Publication** result) override {
        return guard([&] { return answer(application_->publication(), result); });
    }
    HRESULT STDMETHODCALLTYPE get_CommandBars(::ToolbarCollection** result) override {
        return guard([&] { return answer(application_->toolbars(), result); });
    }

private:
    ApplicationRef application_;
};

}  // namespace

HRESULT Wrap(ApplicationRef object, ::Application** out) { return NewObject<ComApplication>(out, std::move(object)); }

HRESULT CreateComApplication(ApplicationRef application, ::Application** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!application) return E_INVALIDARG;
    return Wrap(std::move(application), object);
}

}  // namespace quillet::simhost::com
