#include "simhost/com/ComServer.h"

namespace quillet::simhost::com {

using SpanObject = PlainObject<TextSpan>;
using StoryObject = PlainObject<Story>;
using StoriesObject = PlainObject<StoryCollection>;

template <>
std::span<const Member<SpanObject>> SpanObject::members() {
    static constexpr Member<SpanObject> kMembers[] = {
        {L"Text", kGet, 0, 0, &answeredBy<&TextSpan::text>},
        {L"Text", kPut, 0, 0, &answeredBy<&TextSpan::setText>},
        // Characters(Start, Length), both relative to the span and 1-based.
        {L"Characters", kMethod, 2, 2, &answeredBy<&TextSpan::span>},
        {L"Select", kMethod, 0, 0, &answeredBy<&TextSpan::select>},
        {L"Start", kGet, 0, 0, &answeredBy<&TextSpan::start>},
        {L"Story", kGet, 0, 0, &answeredBy<&TextSpan::story>, false, &HostCapabilities::spanStory},
    };
    return kMembers;
}

template <>
std::span<const Member<StoryObject>> StoryObject::members() {
    static constexpr Member<StoryObject> kMembers[] = {
        {L"TextRange", kGet, 0, 0, &answeredBy<&Story::textSpan>},
    };
    return kMembers;
}

template <>
std::span<const Member<StoriesObject>> StoriesObject::members() {
    static constexpr Member<StoriesObject> kMembers[] = {
        {L"Item", kCollectionItem, 1, 1, &answeredBy<&StoryCollection::item>},
        {L"Count", kGet, 0, 0, &answeredBy<&StoryCollection::count>},
    };
    return kMembers;
}

HRESULT wrap(TextSpanRef object, IDispatch** out) {
    return newObject<SpanObject>(out, std::move(object), roles::kTextSpan, HostLibrary::Publisher);
}

HRESULT wrap(StoryRef object, IDispatch** out) {
    return newObject<StoryObject>(out, std::move(object), roles::kStory, HostLibrary::Publisher);
}

HRESULT wrap(StoryCollectionRef object, IDispatch** out) {
    return newObject<StoriesObject>(out, std::move(object), roles::kStoryCollection, HostLibrary::Publisher);
}

}  // namespace quillet::simhost::com
