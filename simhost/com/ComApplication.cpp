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
            {L"ActiveDocument", kGet, 0, 0, &answeredBy<&Application::publication>},
            {L"CommandBars", kGet, 0, 0, &answeredBy<&Application::toolbars>},
            {L"ScreenUpdating", kGet, 0, 0, &answeredBy<&Application::screenUpdating>, false,
             &HostCapabilities::screenUpdating},
            {L"ScreenUpdating", kPut, 0, 0, &answeredBy<&Application::setScreenUpdating>, false,
             &HostCapabilities::screenUpdating},
        };
        return kMembers;
    }

    Application& host() { return *application_; }

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

HRESULT wrap(ApplicationRef object, IDispatch** out) {
    return newObject<ComApplication>(out, std::move(object), nullptr);
}

HRESULT createComApplication(ApplicationRef application, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!application) return E_INVALIDARG;
    return wrap(std::move(application), object);
}

HRESULT createConnectingApplication(std::shared_ptr<HostObject> host, ApplicationRef application,
                                    IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!host || !application) return E_INVALIDARG;
    return newObject<ComApplication>(object, std::move(application), std::move(host));
}

}  // namespace quillet::simhost::com
