#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/Result.h"
#include "host/HostFailures.h"

namespace quillet {

// The host's publication objects as the add-in uses them. Each is a counted
// reference; no operation throws, and a failing one returns the host's number
// and description. A successful operation that returns an object never returns
// an empty reference. Texts are UTF-16; positions and indexes are 1-based.
//
// Some members exist only in current hosts (marked so below): an older host
// fails them with hresults::kUnknownName, as it fails any call of a member
// that it does not have.

class Page;
class PageCollection;
class Shape;
class ShapeCollection;
class TextFrame;
class PublicationView;
class TextSpan;
class Story;
class StoryCollection;
class PublicationSelection;
class Publication;
class Application;
class ToolbarCollection;

using PageRef = std::shared_ptr<Page>;
using ShapeRef = std::shared_ptr<Shape>;
using ShapeCollectionRef = std::shared_ptr<ShapeCollection>;
using TextFrameRef = std::shared_ptr<TextFrame>;
using PageCollectionRef = std::shared_ptr<PageCollection>;
using PublicationViewRef = std::shared_ptr<PublicationView>;
using TextSpanRef = std::shared_ptr<TextSpan>;
using StoryRef = std::shared_ptr<Story>;
using StoryCollectionRef = std::shared_ptr<StoryCollection>;
using PublicationSelectionRef = std::shared_ptr<PublicationSelection>;
using PublicationRef = std::shared_ptr<Publication>;
using ApplicationRef = std::shared_ptr<Application>;
using ToolbarCollectionRef = std::shared_ptr<ToolbarCollection>;

class Page {
public:
    virtual ~Page() = default;
    /// The page's number as the host shows it; not necessarily its index.
    virtual Result<std::u16string> number() = 0;
    /// The page's 1-based place in the page collection, whatever number it
    /// shows. Older hosts lack the member: looked up by name, it fails with
    /// hresults::kUnknownName.
    virtual Result<int32_t> index() = 0;
    /// The shapes on the page. Current hosts only, and a host may lack it
    /// (hresults::kUnknownName).
    virtual Result<ShapeCollectionRef> shapes() = 0;
    /// Whether `other` is this very object of the host (for a COM host, the
    /// same IUnknown). A host may hand out a new object at every call, so two
    /// objects for one page need not be the same.
    virtual bool isSameObject(const Page& other) const = 0;
};

/// The shapes on one page, as the host orders them. Like every member of
/// shapes, a host may lack it (hresults::kUnknownName).
class ShapeCollection {
public:
    virtual ~ShapeCollection() = default;
    virtual Result<int32_t> count() = 0;
    virtual Result<ShapeRef> item(int32_t index) = 0;
};

class Shape {
public:
    virtual ~Shape() = default;
    /// Whether the shape holds a text frame (lines, pictures and embedded
    /// objects do not).
    virtual Result<bool> hasTextFrame() = 0;
    /// The shape's text frame; fails for a shape without one.
    virtual Result<TextFrameRef> textFrame() = 0;
};

class TextFrame {
public:
    virtual ~TextFrame() = default;
    /// The text that the frame shows: its start() is where that text begins
    /// in its story, and its text() is what the frame shows (empty for a
    /// frame that its story's text does not reach).
    virtual Result<TextSpanRef> textRange() = 0;
};

class PageCollection {
public:
    virtual ~PageCollection() = default;
    virtual Result<PageRef> item(int32_t index) = 0;
    virtual Result<int32_t> count() = 0;
};

class PublicationView {
public:
    virtual ~PublicationView() = default;
    /// The page that the view displays.
    virtual Result<PageRef> page() = 0;
    /// Makes the view display `page`.
    virtual Status setPage(const PageRef& page) = 0;
};

class TextSpan {
public:
    virtual ~TextSpan() = default;
    virtual Result<std::u16string> text() = 0;
    /// Replaces the span's characters with `text`.
    virtual Status setText(const std::u16string& text) = 0;
    /// The sub-span from the 1-based `start` (relative to this span) of `length` characters.
    virtual Result<TextSpanRef> span(int32_t start, int32_t length) = 0;
    /// Makes this span the publication's selection. Fails with
    /// hresults::kNotOnDisplayedPage when its first character is not on the displayed page.
    virtual Status select() = 0;
    /// Where the span begins in its story, 0-based. A host may not have this
    /// member (isMissingMember).
    virtual Result<int32_t> start() = 0;
    /// Current hosts only: the story that holds the span. No story number is
    /// published, and a host may hand out a new object at every call: which
    /// story it is shows only by its text.
    virtual Result<StoryRef> story() = 0;
};

class Story {
public:
    virtual ~Story() = default;
    /// The span of the story's whole text.
    virtual Result<TextSpanRef> textSpan() = 0;
};

class StoryCollection {
public:
    virtual ~StoryCollection() = default;
    virtual Result<StoryRef> item(int32_t index) = 0;
    virtual Result<int32_t> count() = 0;
};

class PublicationSelection {
public:
    virtual ~PublicationSelection() = default;
    /// The selected text; fails when nothing is selected.
    virtual Result<TextSpanRef> textSpan() = 0;
};

class Publication {
public:
    virtual ~Publication() = default;
    virtual Result<PageCollectionRef> pages() = 0;
    virtual Result<PublicationSelectionRef> selection() = 0;
    virtual Result<StoryCollectionRef> stories() = 0;
    virtual Result<PublicationViewRef> view() = 0;
    /// Current hosts only: begins a group of changes that one undo takes
    /// back, labelled `name` in the host's Undo list. Groups nest; only the
    /// outermost one counts.
    virtual Status beginUndoGroup(const std::u16string& name) = 0;
    /// Current hosts only: ends the group; fails when none was begun.
    virtual Status endUndoGroup() = 0;
    /// Whether `other` is this very object of the host (for a COM host, the
    /// same IUnknown). A host may hand out a new object at every call, so two
    /// objects for one publication need not be the same.
    virtual bool isSameObject(const Publication& other) const = 0;
};

class Application {
public:
    virtual ~Application() = default;
    /// The publication that the user is editing.
    virtual Result<PublicationRef> publication() = 0;
    /// The host's command bars.
    virtual Result<ToolbarCollectionRef> toolbars() = 0;
    /// Current hosts only: whether the host redraws its window while code runs.
    virtual Result<bool> screenUpdating() = 0;
    virtual Status setScreenUpdating(bool updating) = 0;
};

}  // namespace quillet
