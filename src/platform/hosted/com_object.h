// Reference counting for the hosted stand-ins of COM interfaces: an
// object lives while someone holds it, answers for the interfaces it
// implements, and deletes itself on the last Release.
#pragma once

#include <initializer_list>

#include "platform/win_types.h"

template <typename Interface>
class ComObject : public Interface {
public:
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    // Hands out this object when iid is IUnknown or one of the identifiers
    // of its interface chain.
    HRESULT answer(REFIID iid, void** object, std::initializer_list<const IID*> implemented) {
        if (!object) return E_POINTER;
        *object = nullptr;
        bool known = iid == IID_IUnknown;
        for (const IID* candidate : implemented) known = known || iid == *candidate;
        if (!known) return E_NOINTERFACE;
        AddRef();
        *object = static_cast<Interface*>(this);
        return S_OK;
    }

private:
    ULONG references_ = 1;
};
