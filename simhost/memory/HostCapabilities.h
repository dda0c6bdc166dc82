#pragma once

#include "host/HostFailures.h"

namespace quillet::simhost {

/// What the stand-in host offers beyond the members that every version of
/// the host has, and how it hands out its objects. A member that is not
/// offered does not exist at all: looked up by name it is an unknown name, as
/// in an older host.
struct HostCapabilities {
    /// The application's read/write ScreenUpdating.
    bool screenUpdating = true;
    /// The publication's BeginCustomUndoAction and EndCustomUndoAction.
    bool undoGroups = true;
    /// Each page's PageIndex, its 1-based place in the page collection.
    bool pageIndex = true;
    /// Each page's Shapes, with each shape's HasTextFrame and TextFrame, and
    /// each frame's TextRange: which text each page shows.
    bool pageShapes = true;
    /// A text span's Story, the story that holds it (the selection's span too).
    bool spanStory = true;
    /// How the host hands out a publication, rather than a member it has:
    /// one object for each open publication, as long as it is open, or
    /// (false) a new object at every call, as a host may.
    bool samePublicationObject = true;

    friend bool operator==(const HostCapabilities&, const HostCapabilities&) = default;
};

/// How the host answers a call of a member that it does not offer.
inline RaisedError unknownMember() { return {hresults::kUnknownName, u"Unknown name."}; }

}  // namespace quillet::simhost
