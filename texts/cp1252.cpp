#include "texts/cp1252.h"

#include "platform/cp1252.h"

namespace dvx::texts {

std::string utf8_to_cp1252(std::u8string_view utf8) {
    return platform::to_cp1252(
        std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

}  // namespace dvx::texts
