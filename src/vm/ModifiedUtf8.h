#pragma once

#include <string>
#include <string_view>

namespace murvo {

// UTF-8 in the modified form that JNI takes for names: a character above
// U+FFFF becomes its two UTF-16 surrogates, each written in three bytes.
std::string toModifiedUtf8(std::string_view utf8);

}  // namespace murvo
