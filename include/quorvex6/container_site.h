// What the control asks of the container that holds it.
#pragma once
#include <cstdint>

#include "quorvex6/export.h"

namespace quorvex6 {

class QUORVEX6_API ContainerSite {
  public:
    virtual ~ContainerSite() = default;
    // A property with this dispatch id changed; the saved state is now dirty.
    virtual void OnPropertyChanged(int32_t dispid) = 0;
    // The ambient user mode: true at run time, false in the designer.
    virtual bool AmbientUserMode() { return true; }
    // The extender's size, in twips.
    virtual void SetWidth(int32_t /*twips*/) {}
    virtual void SetHeight(int32_t /*twips*/) {}
};

}  // namespace quorvex6
