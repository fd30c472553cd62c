#pragma once
// What a row's kept fields mean, in words for the table's hint.
#include <string>

#include "base/kept_fields.h"

namespace varnek {

// "CTCSS no. 08 · shift - 600 kHz · locked out" (the dot is cp1252 B7); empty for nothing kept or
// a layout it does not know. Values at their defaults are left out.
std::string KeptFieldsHint(const KeptFields& kept);

}  // namespace varnek
