#include "ui/control_faults.h"
#include "ui/controls.h"
#include "ui/fault.h"
#include "ui/services.h"

namespace dvx::ui {

using detail::bad_value;

namespace {
platform::SerialPort& port() {
    platform::SerialPort* p = services().port;
    if (!p) throw UiFault(platform::FaultText::no_port);
    return *p;
}
}  // namespace

int CommControl::comm_port() const {
    return port().port_number();
}
void CommControl::set_comm_port(int number) {
    port().set_port_number(number);
}
std::string CommControl::settings() const {
    return port().settings();
}
void CommControl::set_settings(const std::string& s) {
    port().set_settings(s);
}
bool CommControl::port_open() const {
    return port().is_open();
}
void CommControl::set_port_open(bool open) {
    if (open)
        port().open();
    else
        port().close();
}
int CommControl::in_buffer_count() const {
    return port().in_count();
}
void CommControl::set_in_buffer_count(int n) {
    if (n != 0) bad_value();
    port().discard_input();
}
std::vector<std::uint8_t> CommControl::input() {
    platform::SerialPort& p = port();
    return p.read(input_len_ > 0 ? input_len_ : p.in_count());
}
void CommControl::output(std::span<const std::uint8_t> bytes) {
    port().write(bytes);
}

}  // namespace dvx::ui
