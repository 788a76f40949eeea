// A strict JSON checker for the tests (RFC 8259): one value, nothing but
// blanks around it, strings in valid UTF-8 with only the legal escapes and no
// raw control characters, numbers in JSON's own grammar (no NaN, no inf).
#pragma once

#include <string>
#include <string_view>

namespace vask::test {

// Empty when text is one valid JSON value; else what is wrong and where.
std::string json_error(std::string_view text);

// The same for a run of members ("a":1,"b":[2]), checked as one object.
std::string json_members_error(std::string_view members);

}  // namespace vask::test
