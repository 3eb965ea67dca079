#include "mainwin/access_level.h"

#include "link/serial_line.h"
#include "mainwin/hauptmenu.h"
#include "model/access.h"

namespace dvx::mainwin {

namespace {

void open_level(Hauptmenue& m, bool port_ok) {
    if (port_ok) m.B_FQN_Write.set_enabled(true);
    m.B_io.set_enabled(true);
    if (port_ok) m.B_Out.set_enabled(true);
    m.B_dout.set_enabled(true);
    m.B_Schk.set_enabled(true);
    m.B_comment.set_enabled(true);
    m.Krv_adr.set_enabled(true);
    m.Komentar1.set_enabled(true);
}

}  // namespace

void apply_access_level() {
    Hauptmenue& m = *hauptmenu_inst;
    const bool was_checked = m.Check3D2.value() == 1;
    m.B_FQN_Write.set_enabled(false);
    m.B_io.set_enabled(false);
    m.B_Out.set_enabled(false);
    m.B_dout.set_enabled(false);
    m.B_Schk.set_enabled(false);
    m.B_comment.set_enabled(false);
    m.m_calib.set_enabled(false);
    m.Krv_adr.set_enabled(false);
    m.Komentar1.set_enabled(false);
    m.Check3D2.set_value(0);
    m.Check3D2.set_enabled(false);

    const bool port_ok = link::port_status == 0;
    if (model::password_opens(model::password_level_1, model::entered_password))
        open_level(m, port_ok);
    if (model::password_opens(model::password_level_2, model::entered_password)) {
        open_level(m, port_ok);
        m.m_calib.set_enabled(true);
        if (was_checked) m.Check3D2.set_value(1);
        m.Check3D2.set_enabled(true);
    }
}

void enable_main_controls() {
    Hauptmenue& m = *hauptmenu_inst;
    const bool port_ok = link::port_status == 0;
    m.B_FQN_Read.set_enabled(port_ok);
    m.B_FQN_Write.set_enabled(port_ok);
    m.B_Out.set_enabled(port_ok);
    m.B_online.set_enabled(port_ok);
    m.Command3D3.set_enabled(port_ok);
    apply_access_level();
}

}  // namespace dvx::mainwin
