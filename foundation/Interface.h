#pragma once

namespace zt {

// Root of every framework interface. Interfaces derive from it virtually, so
// a class implementing several of them still has a single root.
class IInterface {
public:
    virtual ~IInterface() = default;
};

// Objects handed out by factory functions end their own life through Destroy,
// so the memory returns to the module that allocated it.
class IDestructable : public virtual IInterface {
public:
    virtual void Destroy() = 0;
};

}  // namespace zt
