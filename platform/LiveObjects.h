#pragma once

namespace quillet {

/// The component's objects that are alive, and the locks on its class
/// factory: the component may be unloaded only when there is neither.
class LiveObjects {
public:
    /// Counts one object for as long as it lives.
    class Token {
    public:
        explicit Token(LiveObjects& owner) : owner_(&owner) { ++owner_->objects_; }
        Token(const Token&) = delete;
        Token& operator=(const Token&) = delete;
        ~Token() { --owner_->objects_; }

    private:
        LiveObjects* owner_;
    };

    void lock() { ++locks_; }
    void unlock() { --locks_; }
    bool canUnload() const { return objects_ == 0 && locks_ == 0; }

private:
    int objects_ = 0;
    int locks_ = 0;
};

}  // namespace quillet
