#pragma once
// The few controls of the windows above the link that the link reads and writes: the
// main window's serial-port control and its port, address and rack lists, and the cells
// of the HZL and HZL3 gateway pages that the variable table and the result pages go
// straight into. The windows sit above the link, so they install these bindings when
// they load (a page binding may load its page on first touch); until then the link
// works on a detached set of plain values, which is also what the tests use.
#include <functional>
#include <map>
#include <string>
#include <utility>

#include "platform/serial_port.h"

namespace dvx::link {

struct TextBinding {
    std::function<std::string()> get;
    std::function<void(const std::string&)> set;
};

// Cells by (row, column) as the grid counts them: row 0 is the header row.
struct GridBinding {
    std::function<std::string(int row, int col)> get;
    std::function<void(int row, int col, const std::string&)> set;
};

struct MainWindowBindings {
    // The serial-port control MSComm1; empty: the port of the service set.
    std::function<platform::SerialPort&()> MSComm1;
    // List positions (-1: nothing selected).
    std::function<int()> Com_select;
    std::function<int()> adr_select;
    std::function<int()> cmb_rack;
    // The link changed port_status by itself (a port that failed under it could not
    // be opened again): the buttons that need the port follow it. Empty: nothing.
    std::function<void()> port_status_changed;
    // Tells the user the port cannot be used; `detail` (the port's path, the system's
    // reason) may follow on a second line. Empty: the detail alone, titled.
    std::function<void(const std::string& detail)> show_no_connection;
};

struct HzlPageBindings {  // HZL_blatt
    TextBinding txt_hzladr;
    TextBinding txt_hzlstrt;
    GridBinding flg_param;
    GridBinding flg_result;
    std::function<std::string()> lbl_ver_txt;  // caption of the version label
};

struct Hzl3PageBindings {  // HZL3_blatt
    GridBinding flg_result;
};

struct LinkBindings {
    MainWindowBindings main;
    HzlPageBindings hzl;
    Hzl3PageBindings hzl3;
};

// The bindings in force. The main window and the gateway pages replace their part.
LinkBindings& bindings();

// Plain values standing in for the controls while no window has bound itself.
struct DetachedControls {
    int Com_select = 0;
    int adr_select = 0;
    int cmb_rack = 0;
    std::string txt_hzladr;
    std::string txt_hzlstrt;
    std::string lbl_ver_txt;
    std::map<std::pair<int, int>, std::string> hzl_flg_param;
    std::map<std::pair<int, int>, std::string> hzl_flg_result;
    std::map<std::pair<int, int>, std::string> hzl3_flg_result;
};

DetachedControls& detached_controls();
// Binds every control to detached_controls() (cleared) and the port to the service set.
void bind_detached_controls();

}  // namespace dvx::link
