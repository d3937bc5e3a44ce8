// Name lookups for items and forms.
#include "model/names.h"

#include <cstring>

#include "model/tables.h"

namespace ostrel {

void itemName(char* buffer, Item item) {
  if (item >= 0 && item < kItemCount) std::strcpy(buffer, kItemNames[item]);
}

void magTypeName(char* buffer, MagType type) {
  if (type >= 0 && type < kMagTypeCount) std::strcpy(buffer, kMagTypeNames[type]);
}

}  // namespace ostrel
