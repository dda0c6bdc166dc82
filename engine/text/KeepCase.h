#pragma once

#include <string>
#include <string_view>

namespace quillet {

/// `replacement` in the case of `occurrence`, as Keep Case writes it ("Cat"
/// makes "dog" "Dog", "CAT" makes it "DOG"):
/// - where the occurrence's cased letters (Lu, Ll) are all capitals and more
///   than one, every character by its simple uppercase mapping ("ılık" over
///   "SOĞUK" gives "ILIK");
/// - where its first cased letter is a capital, the replacement's first
///   character by its simple titlecase mapping ("ǆ" gives "ǅ"), when that
///   character is a letter: "2nd" over "First" stays "2nd";
/// - as typed otherwise.
/// A surrogate pair reads, and is written, as the one letter it is.
std::u16string inCaseOf(std::u16string_view occurrence, std::u16string replacement);

}  // namespace quillet
