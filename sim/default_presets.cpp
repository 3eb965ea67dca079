// The default plants of each bus mode, as preset texts: what the simulator and the
// program's simulation mode serve when no preset file is given.
#include "sim/plant.h"

namespace dvx::sim {

namespace {

constexpr const char* direct_preset = R"(# Direct bus, 9600,E,8,1
bus 0
echo off
device 1 11 405
  reg 1099 10
  reg 1097 0 400
  reg 48 2155 5388
  serial "21040001"
  tag " TT-101 "
  comment "Pt-100 im Kessel 1\r\nGepr\xFCft 12/2026"
device 3 111 306
  reg 1080 0 1000 1
  unit "%"
  reg 48 523 5230
  serial "19110203"
  tag " FT-205 "
device 9 12 303
  reg 1099 3
  reg 1097 0 1200
  reg 26 0x0A80
  reg 48 4521 3768
  serial "17090917"
  tag " TI-309 "
device 17 16 416
  reg 1099 7
  reg 1097 0 2000
  reg 62 1250
  reg 48 14230 7115
  serial "22120017"
  tag "OFEN-17 "
device 20 113 402
  reg 2 1001
  reg 26 0x0A80
  reg 48 250 2500
  serial "20040420"
  tag " PI-420 "
device 33 15 410
  reg 1099 8
  reg 1097 0 800
  reg 64 130
  reg 48 3120 3900
  serial "22030033"
  tag "K]HL-33 "
)";

constexpr const char* hzl_preset = R"(# HZL gateway, 19200,E,8,1
bus 1
echo off
gateway 32 203
  reg 2000 1 1 0x0101 0x8102 0x010B 0x8305 0x0314
rack 1 31 105
slot 1 1 11 404
  reg 48 1215 3037
  serial "21010101"
  tag " TT-111 "
slot 1 2 111 301
  reg 48 377 3770
  serial "19010102"
  tag " FT-112 "
slot 1 11 13 305
  reg 48 880 2200
  serial "18010111"
  tag " TT-113 "
rack 3 31 500
slot 3 5 14 400
  reg 48 655 1637
  serial "20030305"
  tag " TI-135 "
slot 3 20 112 400
  reg 48 912 9120
  serial "20030320"
  tag " PI-320 "
)";

constexpr const char* hzl3_preset = R"(# HZL3 gateway, 57600,E,8,1
bus 2
echo off
gateway 34 210
  reg 36 1 17 20 0 3
rack 1 33 120
  reg 21 48 4 32
slot 1 1 11 411
  reg 48 1010 2525
  serial "22010101"
  tag " TT-201 "
slot 1 16 113 404
  reg 2 1001
  reg 48 455 4550
  serial "21010116"
  tag " PI-216 "
slot 1 17 12 302
  reg 48 330 825
  serial "17010117"
  tag " TI-217 "
slot 1 32 16 419
  reg 1099 7
  reg 1097 0 2000
  reg 62 980
  reg 48 15500 7750
  serial "23010132"
  tag "OFEN-32 "
rack 2 33 120
  reg 21 48 4 32
slot 2 3 111 300
  reg 48 610 6100
  serial "19020203"
  tag " FT-223 "
slot 2 4 11 415
  reg 48 2010 5025
  serial "22020204"
  tag " TT-224 "
rack 17 33 120
  reg 21 48 4 32
slot 17 1 13 401
  reg 48 505 1262
  serial "20170101"
  tag " TT-171 "
)";

}  // namespace

Plant Plant::preset(int bus_mode) {
    switch (bus_mode) {
        case 1:
            return from_text(hzl_preset);
        case 2:
            return from_text(hzl3_preset);
        default:
            return from_text(direct_preset);
    }
}

}  // namespace dvx::sim
