#include "model/main_view_hooks.h"

namespace dvx::model {

MainViewHooks& main_view_hooks() {
    static MainViewHooks hooks;
    return hooks;
}

}  // namespace dvx::model
