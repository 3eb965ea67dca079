#pragma once
// The bus scans behind the main window's search button, and the handlers of the two
// device lists they fill.
//
// On the direct bus the scan walks the bus addresses from the selected one up to 255,
// reads every transmitter it meets completely and lists it in dev_list, yielding once
// per address so that adr_seek's cancel button is heard. Behind a gateway it reads the
// gateway block (rack-presence mask), each present rack's concentrator (slot mask) and
// only the TAG and serial number of each occupied slot, into liv_scan, without
// yielding and under the hourglass. Silent devices and failed reads are passed over.
#include <cstdint>
#include <span>
#include <vector>

#include "ui/controls.h"

namespace dvx::mainwin {

// The search button Command3D4: the scan of model::bus_mode.
void Command3D4_Click();

// Direct bus. Afterwards the image, the firmware, output-mode and read fields and the
// identity fields are those of the last device listed, and adr_select points to it
// (or stays where it was when none was found). A device is taken over only when all
// its reads succeeded: one that fails part-way leaves the image and the comment store
// as they were.
void scan_device_std();
// Behind an HZL gateway (racks 1..30, slots 1..20) and an HZL3 gateway (racks 1..64,
// slots 1..32). The rack and address selections and the image's TAG and serial words
// are put back afterwards.
void scan_device_hzl();
void scan_dev_hzl_3();

// A click in dev_list selects the address of the row's first three characters.
void dev_list_Click();
// A click in liv_scan selects the row's rack and slot; a double click also reads that
// device as the read button does.
void liv_scan_Click();
void liv_scan_DblClick();

// Indices (from 0, ascending) of the bits set in the presence mask that starts at
// `first_word` of a register image, bit b of word first_word + w standing for index
// 16 w + b, the sign bit included; only indices below `count` are looked at.
std::vector<int> presence_list(std::span<const std::int16_t> image, int first_word, int count);

// The rack and address selections of the main window at one moment. The operations that
// walk the listed devices select each in turn and put the one in hand back afterwards:
// the read and program buttons and the pages address the selected device.
class Hauptmenue;
struct DeviceSelection {
    int rack_index = -1;
    int adr_index = -1;
    static DeviceSelection of(const Hauptmenue& m);
    void put_back(Hauptmenue& m) const;
};

// Rack and slot (device) number of a liv_scan row: its text and its second column.
struct ScanRowPlace {
    int rack = 0;
    int slot = 0;
};
ScanRowPlace scan_row_place(const ui::ListItem& row);

}  // namespace dvx::mainwin
