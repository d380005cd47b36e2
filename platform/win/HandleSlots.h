// The slots behind the window system's handle tables (windows, GDI objects, menus).
#pragma once

#include <cstdint>
#include <vector>

// The index of a slot to fill: one freed before, else a new one at the end. The tables keep a
// generation in each slot and put it in the handle, so a dead handle never reaches the next
// object in its slot.
template <class Slot>
uint32_t TakeSlot(std::vector<Slot>& slots, std::vector<uint32_t>& freed) {
  if (!freed.empty()) {
    const uint32_t index = freed.back();
    freed.pop_back();
    return index;
  }
  slots.emplace_back();
  return static_cast<uint32_t>(slots.size() - 1);
}
