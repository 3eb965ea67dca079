#include "ui/drawing.h"

#include <map>

namespace dvx::ui {
namespace {

std::map<std::string, Drawing, std::less<>>& drawings() {
    static std::map<std::string, Drawing, std::less<>> all;
    return all;
}

}  // namespace

void register_drawing(std::string name, Drawing drawing) {
    drawings()[std::move(name)] = drawing;
}

const Drawing* find_drawing(std::string_view name) {
    auto& all = drawings();
    auto it = all.find(name);
    return it == all.end() ? nullptr : &it->second;
}

}  // namespace dvx::ui
