#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

using ShapesObject = PlainObject<ShapeCollection>;
using ShapeObject = PlainObject<Shape>;
using TextFrameObject = PlainObject<TextFrame>;

namespace {

/// HasTextFrame is an msoTriState, which is a Long: msoTrue (-1) or msoFalse
/// (0), not a Boolean, so a caller that compares it with -1 finds it.
HRESULT answerTriState(ShapeObject& shape, HostCall& call) {
    const Result<bool> has = shape.host().hasTextFrame();
    if (!has) return call.fail(has.error());
    return call.answer(win32::Variant::number(*has ? -1 : 0));
}

}  // namespace

template <>
std::span<const Member<ShapesObject>> ShapesObject::members() {
    static constexpr Member<ShapesObject> kMembers[] = {
        {L"Item", kCollectionItem, 1, 1, &answeredBy<&ShapeCollection::item>, false, &HostCapabilities::pageShapes},
        {L"Count", kGet, 0, 0, &answeredBy<&ShapeCollection::count>, false, &HostCapabilities::pageShapes},
    };
    return kMembers;
}

template <>
std::span<const Member<ShapeObject>> ShapeObject::members() {
    static constexpr Member<ShapeObject> kMembers[] = {
        {L"HasTextFrame", kGet, 0, 0, &answerTriState, false, &HostCapabilities::pageShapes},
        {L"TextFrame", kGet, 0, 0, &answeredBy<&Shape::textFrame>, false, &HostCapabilities::pageShapes},
    };
    return kMembers;
}

template <>
std::span<const Member<TextFrameObject>> TextFrameObject::members() {
    static constexpr Member<TextFrameObject> kMembers[] = {
        {L"TextRange", kGet, 0, 0, &answeredBy<&TextFrame::textRange>, false, &HostCapabilities::pageShapes},
    };
    return kMembers;
}

HRESULT wrap(ShapeCollectionRef object, IDispatch** out) {
    return newObject<ShapesObject>(out, std::move(object), roles::kShapeCollection, HostLibrary::Publisher);
}

HRESULT wrap(ShapeRef object, IDispatch** out) {
    return newObject<ShapeObject>(out, std::move(object), roles::kShape, HostLibrary::Publisher);
}

HRESULT wrap(TextFrameRef object, IDispatch** out) {
    return newObject<TextFrameObject>(out, std::move(object), roles::kTextFrame, HostLibrary::Publisher);
}

}  // namespace quillet::simhost::com
