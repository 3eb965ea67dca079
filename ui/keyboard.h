#pragma once
// Key codes, shift flags and the keyboard-state service (is Enter, Tab or Shift down
// at this moment). The layer tracks the key it is dispatching itself, so a Tab that
// moves the focus reads as down during the LostFocus it causes; a desktop renderer
// may install a service that asks the real keyboard instead.
namespace dvx::ui {

enum KeyCode : int {
    vk_back = 8,
    vk_tab = 9,
    vk_return = 13,
    vk_shift = 16,
    vk_control = 17,
    vk_escape = 27,
    vk_space = 32,
    vk_prior = 33,  // page up
    vk_next = 34,   // page down
    vk_end = 35,
    vk_home = 36,
    vk_left = 37,
    vk_up = 38,
    vk_right = 39,
    vk_down = 40,
    vk_delete = 46,
};

enum ShiftMask : int { shift_mask = 1, ctrl_mask = 2, alt_mask = 4 };

class KeyboardState {
  public:
    virtual ~KeyboardState() = default;
    virtual bool is_down(int key_code) = 0;
};

// Is the key down now: asks services().keyboard when installed, else the layer's
// own record of the keys it is dispatching.
bool key_down(int key_code);

}  // namespace dvx::ui
