// The line-based preset text: reading (one row a keyword) and writing.
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
    } else if (reg >= 2000 && reg < 2000 + comment_words)
        t.set_comment_word(reg - 2000, value);
    else
        throw PresetError(line,
                          "register " + std::to_string(reg) + " is not a transmitter register");
}

}  // namespace

namespace {

using Words = std::vector<std::string>;

// What a preset has built so far: the plant (made at its first line, bus 0 unless a
// "bus" line came first) and the object the indented lines apply to.
struct Reader {
    std::optional<Plant> plant;
    Current cur;
    int number = 0;  // the line being read

    Plant& need_plant() {
        if (!plant) plant.emplace(0);
        return *plant;
    }
    Transmitter& transmitter(const std::string& key) {
        if (!cur.transmitter)
            throw PresetError(number, "\"" + key + "\" without a transmitter above it");
        return *cur.transmitter;
    }
    int num(const std::string& w, int lo, int hi) const { return number_of(w, number, lo, hi); }
};

// One row a keyword: how many values it takes and what it does. A row with its own
// `arity` text names it where the count is wrong.
struct Keyword {
    std::string_view word;
    std::size_t min_values;
    std::size_t max_values;
    void (*apply)(Reader&, const Words&);
    std::string_view arity = {};
};

constexpr std::size_t any_number = static_cast<std::size_t>(-1);

void put_regs(Reader& r, const Words& w) {
    const std::string& key = w[0];
    const int number = r.number;
    const int reg = r.num(w[1], 0, 65535);
    for (std::size_t i = 2; i < w.size(); ++i) {
        const int v = r.num(w[i], -32768, 65535);
        const int at = reg + static_cast<int>(i - 2);
        Current& cur = r.cur;
        if (cur.transmitter) {
            if (key == "stored") {
                if (at < 1000 || at >= 1000 + param_regs)
                    throw PresetError(number, "\"stored\" is for parameter registers");
                cur.transmitter->set_stored_param(at - 1000, v);
            } else {
                set_transmitter_reg(*cur.transmitter, at, v, number);
            }
        } else if (cur.rack && key == "reg") {
            if (at > 25) throw PresetError(number, "concentrator words are 0..25");
            cur.rack->set_word(at, v);
        } else if (cur.gateway && key == "reg") {
            if (at <= 40)
                cur.gateway->set_word(at, v);
            else if (at >= 2000 && at <= 2601 && !cur.gateway->is_hzl3())
                cur.gateway->set_table(at - 2000, v);
            else
                throw PresetError(number,
                                  "gateway words are 0..40" +
                                      std::string(cur.gateway->is_hzl3() ? "" : " and 2000..2601"));
        } else {
            throw PresetError(number, "\"" + key + "\" without a device above it");
        }
    }
}

void put_text8(Reader& r, const Words& w) {
    Transmitter& t = r.transmitter(w[0]);
    const std::string text = text_of(w[1], r.number);
    if (text.size() > 8) throw PresetError(r.number, "texts of 8 characters at most");
    t.set_text8(w[0] == "tag" ? 119 : w[0] == "serial" ? 123 : 115, text);
}

}  // namespace

Plant Plant::from_text(std::string_view text) {
    // The table lives here, inside a member, for the rows that build the gateway.
    static constexpr Keyword keywords[] = {
        {"bus", 1, 1,
         [](Reader& r, const Words& w) {
             if (r.plant) throw PresetError(r.number, "\"bus\" must come first");
             r.plant.emplace(r.num(w[1], 0, 2));
         }},
        {"echo", 1, 1,
         [](Reader& r, const Words& w) { r.need_plant().set_echo(on_off(w[1], r.number)); }},
        {"strict", 1, 1,
         [](Reader& r, const Words& w) { r.need_plant().set_strict(on_off(w[1], r.number)); }},
        {"unreachable", 1, 1,
         [](Reader& r, const Words& w) {
             if (w[1] != "silent" && w[1] != "exception")
                 throw PresetError(r.number, "expected silent or exception");
             r.need_plant().gateway().set_silent_when_unreachable(w[1] == "silent");
         }},
        {"transmitter_echo", 1, 1,
         [](Reader& r, const Words& w) {
             r.need_plant().gateway().set_pass_transmitter_echo(on_off(w[1], r.number));
         }},
        {"device", 3, 3,
         [](Reader& r, const Words& w) {
             Plant& p = r.need_plant();
             if (p.bus_mode() != 0)
                 throw PresetError(r.number, "\"device\" is for the direct bus; use \"slot\"");
             const int addr = r.num(w[1], 1, 255);
             if (p.has(addr)) throw PresetError(r.number, "address " + w[1] + " is taken");
             r.cur = {};
             r.cur.transmitter =
                 &p.add(addr, Transmitter(r.num(w[2], 0, 65535), r.num(w[3], 0, 65535)));
         }},
        {"gateway", 2, 2,
         [](Reader& r, const Words& w) {
             Plant& p = r.need_plant();
             if (p.bus_mode() == 0) throw PresetError(r.number, "the direct bus has no gateway");
             if (!p.gateway().racks().empty())
                 throw PresetError(r.number, "\"gateway\" must come before its racks");
             const bool silent = p.gateway().silent_when_unreachable();
             const bool passes_echo = p.gateway().passes_transmitter_echo();
             p.gateway_.emplace(p.bus_mode(), r.num(w[1], 0, 65535), r.num(w[2], 0, 65535));
             p.gateway_->set_silent_when_unreachable(silent);
             p.gateway_->set_pass_transmitter_echo(passes_echo);
             r.cur = {};
             r.cur.gateway = &*p.gateway_;
         }},
        {"rack", 3, 3,
         [](Reader& r, const Words& w) {
             Plant& p = r.need_plant();
             if (p.bus_mode() == 0) throw PresetError(r.number, "the direct bus has no racks");
             const int rack = r.num(w[1], 1, p.gateway().max_racks());
             if (p.gateway().has_rack(rack))
                 throw PresetError(r.number, "rack " + w[1] + " is already present");
             r.cur = {};
             r.cur.rack = &p.gateway().add_rack(
                 rack, Concentrator(r.num(w[2], 0, 65535), r.num(w[3], 0, 65535)));
         }},
        {"slot", 4, 4,
         [](Reader& r, const Words& w) {
             Plant& p = r.need_plant();
             if (p.bus_mode() == 0)
                 throw PresetError(r.number, "the direct bus has no slots; use \"device\"");
             const int rack = r.num(w[1], 1, p.gateway().max_racks());
             if (!p.gateway().has_rack(rack))
                 throw PresetError(r.number, "rack " + w[1] + " is not present");
             const int s = r.num(w[2], 1, p.gateway().max_slots());
             if (p.rack(rack).has(s))
                 throw PresetError(r.number, "slot " + w[2] + " of rack " + w[1] + " is taken");
             r.cur = {};
             r.cur.transmitter =
                 &p.rack(rack).add(s, Transmitter(r.num(w[3], 0, 65535), r.num(w[4], 0, 65535)));
         }},
        {"reg", 2, any_number, put_regs, "takes a register and values"},
        {"stored", 2, any_number, put_regs, "takes a register and values"},
        {"count", 1, 1,
         [](Reader& r, const Words& w) {
             r.transmitter(w[0]).set_param_count(r.num(w[1], 1, param_regs));
         }},
        {"tag", 1, 1, put_text8},
        {"serial", 1, 1, put_text8},
        {"unit", 1, 1, put_text8},
        {"comment", 1, 1,
         [](Reader& r, const Words& w) {
             Transmitter& t = r.transmitter(w[0]);
             const std::string c = text_of(w[1], r.number);
             if (c.size() > 1998) throw PresetError(r.number, "comment too long");
             t.set_comment_text(c);
         }},
        {"silent", 0, 0,
         [](Reader& r, const Words&) {
             if (r.cur.transmitter)
                 r.cur.transmitter->set_silent(true);
             else if (r.cur.rack)
                 r.cur.rack->set_silent(true);
             else
                 throw PresetError(r.number, "\"silent\" without a device above it");
         }},
    };

    std::istringstream in{std::string(text)};
    std::string raw;
    Reader reader;
    while (std::getline(in, raw)) {
        const int number = ++reader.number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        const Words w = split(raw, number);
        if (w.empty()) continue;
        const std::string& key = w[0];
        const Keyword* row = nullptr;
        for (const Keyword& k : keywords)
            if (k.word == key) row = &k;
        if (!row) throw PresetError(number, "unknown word \"" + key + "\"");
        const std::size_t values = w.size() - 1;
        if (values < row->min_values || values > row->max_values) {
            if (!row->arity.empty())
                throw PresetError(number, "\"" + key + "\" " + std::string(row->arity));
            throw PresetError(number, "\"" + key + "\" takes " + std::to_string(row->min_values) +
                                          (row->min_values == row->max_values
                                               ? ""
                                               : ".." + std::to_string(row->max_values)) +
                                          " values");
        }
        try {
            row->apply(reader, w);
        } catch (const PresetError&) {
            throw;
        } catch (const std::exception& e) {
            throw PresetError(number, e.what());
        }
    }
    return reader.plant ? std::move(*reader.plant) : Plant(0);
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
    // A whole bus of racks is a few hundred kilobytes: a larger file (a device node, a
    // file picked by mistake) is refused before it can take the memory.
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
        text.append(buf, n);
        if (text.size() > max_preset_bytes)
            throw PresetError(0, "preset file " + path + " is larger than " +
                                     std::to_string(max_preset_bytes / 1024 / 1024) + " MiB");
    }
    if (std::ferror(f.get())) throw unreadable();
    try {
        return from_text(text);
    } catch (const PresetError& e) {
        throw PresetError(path, e);
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
