#include "simhost/com/ComHost.h"
#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

namespace {

class ComApplication final : public NamedObject<ComApplication> {
public:
    ComApplication(ApplicationRef application, std::shared_ptr<HostObject> asked)
        : NamedObject(roles::kApplication, HostLibrary::Publisher),
          application_(std::move(application)),
          asked_(std::move(asked)) {}

    static std::span<const Member<ComApplication>> members() {
        static constexpr Member<ComApplication> kMembers[] = {
            {L"ActiveDocument", kGet, 0, 0, &ComApplication::ActiveDocument},
            {L"CommandBars", kGet, 0, 0, &ComApplication::CommandBars},
            {L"ScreenUpdating", kGet, 0, 0, &ComApplication::ScreenUpdating, false, &HostCapabilities::screenUpdating},
            {L"ScreenUpdating", kPut, 0, 0, &ComApplication::SetScreenUpdating, false,
             &HostCapabilities::screenUpdating},
        };
        return kMembers;
    }

    HRESULT ActiveDocument(Invocation& call) { return call.answer(application_->publication()); }
    HRESULT CommandBars(Invocation& call) { return call.answer(application_->toolbars()); }
    HRESULT ScreenUpdating(Invocation& call) { return call.answer(application_->screenUpdating()); }
    HRESULT SetScreenUpdating(Invocation& call) {
        bool updating = true;
        if (HRESULT hr = call.boolean(0, &updating); FAILED(hr)) return hr;
        return call.answer(application_->setScreenUpdating(updating));
    }

    HRESULT queryInterface(REFIID iid, void** object) override {
        if (asked_ && object && IsEqualIID(iid, roles::kApplication.iid)) {
            *object = nullptr;
            try {
                if (!asked_->queryApplication()) return E_NOINTERFACE;
            } catch (...) {
                return E_OUTOFMEMORY;
            }
        }
        return NamedObject::queryInterface(iid, object);
    }

private:
    ApplicationRef application_;
    /// Asked each time the object is asked for the Application role; none when it always answers.
    std::shared_ptr<HostObject> asked_;
};

}  // namespace

HRESULT Wrap(ApplicationRef object, IDispatch** out) {
    return NewObject<ComApplication>(out, std::move(object), nullptr);
}

HRESULT CreateComApplication(ApplicationRef application, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!application) return E_INVALIDARG;
    return Wrap(std::move(application), object);
}

HRESULT CreateConnectingApplication(std::shared_ptr<HostObject> host, ApplicationRef application,
                                    IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!host || !application) return E_INVALIDARG;
    return NewObject<ComApplication>(object, std::move(application), std::move(host));
}

}  // namespace quillet::simhost::com
