// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PARTITEM_H
#define PARTITEM_H

#include <functional>
#include <utility>

// An item that belongs to an owner (the bike's wheels, rider mass, mud and
// ragdoll; the ragdoll's limbs) and whose body may be tied to the owner's
// bodies by joints. The scene deletes its items in any order, so the owner
// is told before the item goes: the hook runs before Base's destructor frees
// the body, which lets the owner take its joints out of the space first and
// forget the pointer.
template <class Base> class PartItem : public Base
{
public:
    using Base::Base;
    ~PartItem() override
    {
        if (m_beforeDestroy) {
            auto hook = std::move(m_beforeDestroy);
            m_beforeDestroy = nullptr;
            hook();
        }
    }

    void setBeforeDestroy(std::function<void()> hook) { m_beforeDestroy = std::move(hook); }

private:
    std::function<void()> m_beforeDestroy;
};

#endif
