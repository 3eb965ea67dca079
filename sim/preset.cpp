// The line-based preset text: reading, writing and the default plants of each bus mode.
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>

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

// Splits a line into words; "..." is one word with \\, \", \r, \n, \t and \xNN escapes.
std::vector<std::string> split(const std::string& line, int number) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < line.size()) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        if (line[i] == '#') break;
        std::string w;
        if (line[i] == '"') {
            w = "\"";
            ++i;
            bool closed = false;
            while (i < line.size()) {
                char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    w += c;
                    continue;
                }
                if (i >= line.size()) break;
                char e = line[i++];
                switch (e) {
                    case 'r':
                        w += '\r';
                        break;
                    case 'n':
                        w += '\n';
                        break;
                    case 't':
                        w += '\t';
                        break;
                    case 'x': {
                        int v = 0;
                        if (i + 2 > line.size() ||
                            std::from_chars(line.data() + i, line.data() + i + 2, v, 16).ptr !=
                                line.data() + i + 2)
                            throw PresetError(number, "bad \\x escape");
                        w += static_cast<char>(v);
                        i += 2;
                        break;
                    }
                    default:
                        w += e;
                        break;
                }
            }
            if (!closed) throw PresetError(number, "text without closing quote");
        } else {
            while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i])))
                w += line[i++];
        }
        words.push_back(std::move(w));
    }
    return words;
}

int number_of(const std::string& w, int line, int lo, int hi) {
    int v = 0;
    const char* b = w.data();
    const char* e = w.data() + w.size();
    bool neg = false;
    if (b != e && *b == '-') {
        neg = true;
        ++b;
    }
    int base = 10;
    if (e - b > 2 && b[0] == '0' && (b[1] == 'x' || b[1] == 'X')) {
        base = 16;
        b += 2;
    }
    auto [p, ec] = std::from_chars(b, e, v, base);
    if (b == e || ec != std::errc() || p != e)
        throw PresetError(line, "\"" + w + "\" is no number");
    if (neg) v = -v;
    if (v < lo || v > hi)
        throw PresetError(line, w + " outside " + std::to_string(lo) + ".." + std::to_string(hi));
    return v;
}

bool on_off(const std::string& w, int line) {
    if (w == "on") return true;
    if (w == "off") return false;
    throw PresetError(line, "expected on or off, got \"" + w + "\"");
}

std::string text_of(const std::string& w, int line) {
    if (w.empty() || w[0] != '"') throw PresetError(line, "expected a text in double quotes");
    return w.substr(1);
}

// The object the indented lines apply to.
struct Current {
    Transmitter* transmitter = nullptr;
    Concentrator* rack = nullptr;
    Gateway* gateway = nullptr;
};

void set_transmitter_reg(Transmitter& t, int reg, int value, int line) {
    if (reg >= 0 && reg < status_regs)
        t.set_status(reg, value);
    else if (reg >= 1000 && reg < 1000 + param_regs) {
        t.set_param(reg - 1000, value);
        if (reg == 1099) t.calib().measure_settled(t, static_cast<std::int16_t>(t.param(99)));
    }
    else if (reg >= 2000 && reg < 2000 + comment_words)
        t.set_comment_word(reg - 2000, value);
    else
        throw PresetError(line,
                          "register " + std::to_string(reg) + " is not a transmitter register");
}

}  // namespace

Plant Plant::from_text(std::string_view text) {
    std::istringstream in{std::string(text)};
    std::string raw;
    int number = 0;
    std::optional<Plant> plant;
    Current cur;
    auto need_plant = [&]() -> Plant& {
        if (!plant) plant.emplace(0);
        return *plant;
    };
    while (std::getline(in, raw)) {
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        const auto w = split(raw, number);
        if (w.empty()) continue;
        const std::string& key = w[0];
        auto args = [&](std::size_t lo, std::size_t hi) {
            if (w.size() - 1 < lo || w.size() - 1 > hi)
                throw PresetError(number, "\"" + key + "\" takes " + std::to_string(lo) +
                                              (lo == hi ? "" : ".." + std::to_string(hi)) +
                                              " values");
        };
        try {
            if (key == "bus") {
                args(1, 1);
                if (plant) throw PresetError(number, "\"bus\" must come first");
                plant.emplace(number_of(w[1], number, 0, 2));
            } else if (key == "echo") {
                args(1, 1);
                need_plant().set_echo(on_off(w[1], number));
            } else if (key == "strict") {
                args(1, 1);
                need_plant().set_strict(on_off(w[1], number));
            } else if (key == "unreachable") {
                args(1, 1);
                if (w[1] != "silent" && w[1] != "exception")
                    throw PresetError(number, "expected silent or exception");
                need_plant().gateway().set_silent_when_unreachable(w[1] == "silent");
            } else if (key == "transmitter_echo") {
                args(1, 1);
                need_plant().gateway().set_pass_transmitter_echo(on_off(w[1], number));
            } else if (key == "device") {
                args(3, 3);
                Plant& p = need_plant();
                if (p.bus_mode() != 0)
                    throw PresetError(number, "\"device\" is for the direct bus; use \"slot\"");
                const int addr = number_of(w[1], number, 1, 255);
                if (p.has(addr)) throw PresetError(number, "address " + w[1] + " is taken");
                cur = {};
                cur.transmitter = &p.add(addr, Transmitter(number_of(w[2], number, 0, 65535),
                                                           number_of(w[3], number, 0, 65535)));
            } else if (key == "gateway") {
                args(2, 2);
                Plant& p = need_plant();
                if (p.bus_mode() == 0) throw PresetError(number, "the direct bus has no gateway");
                if (!p.gateway().racks().empty())
                    throw PresetError(number, "\"gateway\" must come before its racks");
                const bool silent = p.gateway().silent_when_unreachable();
                const bool passes_echo = p.gateway().passes_transmitter_echo();
                p.gateway_.emplace(p.bus_mode(), number_of(w[1], number, 0, 65535),
                                   number_of(w[2], number, 0, 65535));
                p.gateway_->set_silent_when_unreachable(silent);
                p.gateway_->set_pass_transmitter_echo(passes_echo);
                cur = {};
                cur.gateway = &*p.gateway_;
            } else if (key == "rack") {
                args(3, 3);
                Plant& p = need_plant();
                if (p.bus_mode() == 0) throw PresetError(number, "the direct bus has no racks");
                const int r = number_of(w[1], number, 1, p.gateway().max_racks());
                if (p.gateway().has_rack(r))
                    throw PresetError(number, "rack " + w[1] + " is already present");
                cur = {};
                cur.rack =
                    &p.gateway().add_rack(r, Concentrator(number_of(w[2], number, 0, 65535),
                                                          number_of(w[3], number, 0, 65535)));
            } else if (key == "slot") {
                args(4, 4);
                Plant& p = need_plant();
                if (p.bus_mode() == 0)
                    throw PresetError(number, "the direct bus has no slots; use \"device\"");
                const int r = number_of(w[1], number, 1, p.gateway().max_racks());
                if (!p.gateway().has_rack(r))
                    throw PresetError(number, "rack " + w[1] + " is not present");
                const int s = number_of(w[2], number, 1, p.gateway().max_slots());
                if (p.rack(r).has(s))
                    throw PresetError(number, "slot " + w[2] + " of rack " + w[1] + " is taken");
                cur = {};
                cur.transmitter = &p.rack(r).add(s, Transmitter(number_of(w[3], number, 0, 65535),
                                                                number_of(w[4], number, 0, 65535)));
            } else if (key == "reg" || key == "stored") {
                if (w.size() < 3)
                    throw PresetError(number, "\"" + key + "\" takes a register and values");
                const int reg = number_of(w[1], number, 0, 65535);
                for (std::size_t i = 2; i < w.size(); ++i) {
                    const int v = number_of(w[i], number, -32768, 65535);
                    const int r = reg + static_cast<int>(i - 2);
                    if (cur.transmitter) {
                        if (key == "stored") {
                            if (r < 1000 || r >= 1000 + param_regs)
                                throw PresetError(number, "\"stored\" is for parameter registers");
                            cur.transmitter->set_stored_param(r - 1000, v);
                        } else {
                            set_transmitter_reg(*cur.transmitter, r, v, number);
                        }
                    } else if (cur.rack && key == "reg") {
                        if (r > 25) throw PresetError(number, "concentrator words are 0..25");
                        cur.rack->set_word(r, v);
                    } else if (cur.gateway && key == "reg") {
                        if (r <= 40)
                            cur.gateway->set_word(r, v);
                        else if (r >= 2000 && r <= 2601 && !cur.gateway->is_hzl3())
                            cur.gateway->set_table(r - 2000, v);
                        else
                            throw PresetError(
                                number,
                                "gateway words are 0..40" +
                                    std::string(cur.gateway->is_hzl3() ? "" : " and 2000..2601"));
                    } else {
                        throw PresetError(number, "\"" + key + "\" without a device above it");
                    }
                }
            } else if (key == "count") {
                args(1, 1);
                if (!cur.transmitter)
                    throw PresetError(number, "\"count\" without a transmitter above it");
                cur.transmitter->set_param_count(number_of(w[1], number, 1, param_regs));
            } else if (key == "tag" || key == "serial" || key == "unit") {
                args(1, 1);
                if (!cur.transmitter)
                    throw PresetError(number, "\"" + key + "\" without a transmitter above it");
                const std::string t = text_of(w[1], number);
                if (t.size() > 8) throw PresetError(number, "texts of 8 characters at most");
                cur.transmitter->set_text8(key == "tag" ? 119 : key == "serial" ? 123 : 115, t);
            } else if (key == "comment") {
                args(1, 1);
                if (!cur.transmitter)
                    throw PresetError(number, "\"comment\" without a transmitter above it");
                const std::string t = text_of(w[1], number);
                if (t.size() > 1998) throw PresetError(number, "comment too long");
                cur.transmitter->set_comment_text(t);
            } else if (key == "silent") {
                args(0, 0);
                if (cur.transmitter)
                    cur.transmitter->set_silent(true);
                else if (cur.rack)
                    cur.rack->set_silent(true);
                else
                    throw PresetError(number, "\"silent\" without a device above it");
            } else {
                throw PresetError(number, "unknown word \"" + key + "\"");
            }
        } catch (const PresetError&) {
            throw;
        } catch (const std::exception& e) {
            throw PresetError(number, e.what());
        }
    }
    return plant ? std::move(*plant) : Plant(0);
}

Plant Plant::from_file(const std::string& path) {
    // Through stdio: errno then says why (no such file, no permission, a folder).
    const auto unreadable = [&path] {
        return PresetError(0, "cannot read preset file " + path + ": " + std::strerror(errno));
    };
    const std::unique_ptr<std::FILE, decltype(&std::fclose)> f(std::fopen(path.c_str(), "rb"),
                                                               &std::fclose);
    if (!f) throw unreadable();
    std::string text;
    char buf[4096];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) text.append(buf, n);
    if (std::ferror(f.get())) throw unreadable();
    try {
        return from_text(text);
    } catch (const PresetError& e) {
        throw PresetError(path, e);
    }
}

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

namespace {

void write_values(std::ostringstream& out, const char* key, int reg, const std::vector<int>& v) {
    out << "  " << key << ' ' << reg;
    for (int x : v) out << ' ' << x;
    out << '\n';
}

// Writes runs of differing words as "reg FIRST v v v".
template <class Get, class Base>
void write_diffs(std::ostringstream& out, const char* key, int first_reg, int n, Get get, Base base,
                 bool (*skip)(int) = nullptr) {
    std::vector<int> run;
    int run_start = 0;
    auto flush = [&] {
        if (!run.empty()) write_values(out, key, first_reg + run_start, run);
        run.clear();
    };
    for (int i = 0; i < n; ++i) {
        if ((skip && skip(i)) || get(i) == base(i)) {
            flush();
            continue;
        }
        if (run.empty()) run_start = i;
        run.push_back(get(i));
    }
    flush();
}

void write_transmitter(std::ostringstream& out, const Transmitter& t, const Transmitter& base) {
    if (t.param_count() != base.param_count()) out << "  count " << t.param_count() << '\n';
    write_diffs(
        out, "reg", 0, status_regs, [&](int r) { return int{t.status(r)}; },
        [&](int r) { return int{base.status(r)}; },
        [](int r) { return r == reg_type || r == reg_version; });
    write_diffs(
        out, "reg", 1000, param_regs,
        [&](int p) { return int{static_cast<std::uint16_t>(t.param(p))}; },
        [&](int p) { return int{static_cast<std::uint16_t>(base.param(p))}; });
    write_diffs(
        out, "stored", 1000, param_regs,
        [&](int p) { return int{static_cast<std::uint16_t>(t.stored_param(p))}; },
        [&](int p) { return int{static_cast<std::uint16_t>(t.param(p))}; });
    write_diffs(
        out, "reg", 2000, comment_words, [&](int i) { return int{t.comment_word(i)}; },
        [&](int i) { return int{base.comment_word(i)}; });
    if (t.silent()) out << "  silent\n";
}

}  // namespace

std::string Plant::to_text() const {
    std::ostringstream out;
    out << "bus " << bus_mode_ << '\n';
    out << "echo " << (echo_ ? "on" : "off") << '\n';
    if (strict_) out << "strict on\n";
    if (gateway_) {
        const Gateway& g = *gateway_;
        if (g.silent_when_unreachable()) out << "unreachable silent\n";
        if (g.passes_transmitter_echo()) out << "transmitter_echo on\n";
        out << "gateway " << g.type_code() << ' ' << g.version() << '\n';
        const Gateway base(g.bus_mode(), g.type_code(), g.version());
        write_diffs(
            out, "reg", 0, 41, [&](int w) { return int{g.word(w)}; },
            [&](int w) { return int{base.word(w)}; },
            [](int w) { return w <= 6; });  // identity and the derived rack masks
        if (!g.is_hzl3())
            write_diffs(
                out, "reg", 2000, 602, [&](int i) { return int{g.table(i)}; },
                [&](int i) { return int{base.table(i)}; });
        for (const auto& [r, rack] : g.racks()) {
            const Concentrator& c = rack;  // a plain reference: the lambdas below capture it
            out << "rack " << r << ' ' << c.type_code() << ' ' << c.version() << '\n';
            const Concentrator cbase(c.type_code(), c.version());
            write_diffs(
                out, "reg", 0, 26, [&](int w) { return int{c.word(w)}; },
                [&](int w) { return int{cbase.word(w)}; }, [](int w) { return w <= 4; });
            if (c.silent()) out << "  silent\n";
            for (const auto& [s, t] : c.slots()) {
                out << "slot " << r << ' ' << s << ' ' << t.type_code() << ' ' << t.version()
                    << '\n';
                write_transmitter(out, t, Transmitter(t.type_code(), t.version()));
            }
        }
    }
    for (const auto& [a, t] : devices_) {
        out << "device " << a << ' ' << t.type_code() << ' ' << t.version() << '\n';
        Transmitter base(t.type_code(), t.version());
        base.set_param(113, a << 8 | (static_cast<std::uint16_t>(base.param(113)) & 0xFF));
        write_transmitter(out, t, base);
    }
    return out.str();
}

}  // namespace dvx::sim
