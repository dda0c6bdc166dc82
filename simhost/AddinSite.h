#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/SearchState.h"
#include "engine/text/SearchBuffer.h"

namespace quillet::simhost {

/// Which of the add-in object's members hold a reference.
struct AddinMembers {
    bool pubApp = false;
    bool cbbFind = false;
    bool cbbReplace = false;
};

/// How the stand-in host holds the add-in: linked in, or a registered COM
/// server that it loads by its ProgID.
class AddinSite {
public:
    virtual ~AddinSite() = default;

    /// The host connects the add-in, loading it and creating its object when
    /// it has none; `foreign` passes an object that is not the host's application.
    virtual void connect(bool foreign, int32_t connectMode) = 0;
    /// The host disconnects the add-in and lets go of its object; false when there is none.
    virtual bool disconnect(int32_t removeMode) = 0;
    /// A client calls AddToolbar, after creating the object (unconnected) when there is none.
    virtual void callAddToolbar() = 0;

    virtual AddinMembers members() = 0;
    /// What the component's DllCanUnloadNow would answer: true for S_OK.
    virtual bool canUnload() = 0;
    /// Whether the site sees the engine's state: only a component linked in does.
    virtual bool seesEngine() const = 0;
    /// The engine's state; null before the component is loaded, or the buffer
    /// while the Find dialog does not exist.
    virtual const SearchState* searchState() = 0;
    virtual const SearchBuffer* searchBuffer() = 0;
    /// What is wrong with what the engine remembers between presses, where
    /// the site sees the engine; nothing otherwise.
    virtual std::optional<std::string> engineMemoryFault() { return std::nullopt; }
};

}  // namespace quillet::simhost
