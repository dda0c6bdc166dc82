#pragma once

#include <string>
#include <string_view>

namespace quillet {

/// `replacement` in the case of `occurrence`, as Keep Case writes it: all
/// capitals where the occurrence's cased letters are all capitals and more
/// than one, a first capital where its first cased letter is one, and as
/// typed otherwise ("Cat" makes "dog" "Dog", "CAT" makes it "DOG").
/// Letters outside the Basic Multilingual Plane keep their case.
std::u16string inCaseOf(std::u16string_view occurrence, std::u16string replacement);

}  // namespace quillet
