#include "link/transactions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "images/param_image.h"
#include "link/address_map.h"
#include "link/link_bindings.h"
#include "link/register_images.h"
#include "link/serial_line.h"
#include "platform/line_timing.h"
#include "ui/app.h"
#include "ui/fault.h"
#include "ui/services.h"

namespace dvx::link {

namespace {

bool in_transaction = false;
// When the port handed on the first byte of the answer receive_answer took last.
double answer_began = 0;

// The pauses of a transaction let window events run, and a click or timer may start
// another transaction on the same port; it is turned away so requests never interleave.
// The window layer is told too: it refuses the user's commands meanwhile and shows the
// hourglass.
class TransactionGuard {
  public:
    TransactionGuard() { in_transaction = true; }
    ~TransactionGuard() { in_transaction = false; }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;

  private:
    ui::TransactionScope layer_;
};

TransactionResult failed(TransactionEnd end, int sends = 0) {
    return {link_status::time_out, sends, end};
}

// Bytes of a late answer to an earlier request must not be taken for this one's answer:
// both the link's buffer and the port's input are emptied before a transaction's first
// send. A resend asks the same again, so what the failed exchange left in the link's
// buffer stays there and the collect phase drops it up to the unit address.
void send_request(const Frame& request, int sends_so_far) {
    if (sends_so_far == 0) {
        if (!rx_buffer.empty()) line_threw_bytes = true;
        rx_buffer.clear();
        discard_rx();
    }
    send_block(request, true);
}

// --- HZL variable table (22000..22601) and result pages (24000..26999) ---

constexpr int hzl_table_first = 22000;
constexpr int hzl_table_last = 22601;
constexpr int result_first = 24000;
constexpr int result_last = 26999;
constexpr int hzl3_result_rows = 10;
constexpr int result_columns = 10;

std::string decimal(std::int16_t v) {
    return std::to_string(v);
}

// A number as a text box holds it: blanks around, a sign, digits with an optional
// fraction. Not a number: nullopt.
std::optional<double> parse_number(const std::string& text) {
    std::size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos) return std::nullopt;
    const std::size_t e = text.find_last_not_of(" \t") + 1;
    std::string t = text.substr(b, e - b);
    if (!t.empty() && t[0] == '+') t.erase(0, 1);
    std::size_t digits = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9')
            ++digits;
        else if (!(c == '-' && i == 0) && !(c == '.' && t.find('.') == i))
            return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    double v = 0;
    const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || ptr != t.data() + t.size()) return std::nullopt;
    return v;
}

std::optional<int> whole_in_range(std::optional<double> v, int lo, int hi) {
    // Range first: a huge number must not reach the integer conversion.
    if (!v || *v < lo || *v > hi || *v != static_cast<double>(static_cast<int>(*v)))
        return std::nullopt;
    return static_cast<int>(*v);
}

void store_hzl_table_word(int r, std::int16_t v) {
    auto& page = bindings().hzl;
    if (r == 0) {
        page.txt_hzladr.set(decimal(v));
    } else if (r == 1) {
        page.txt_hzlstrt.set(decimal(v));
    } else {
        const int row = r - 1;
        const auto u = static_cast<std::uint16_t>(v);
        page.flg_param.set(row, 3, (u & 0x8000) ? "" : "X");
        page.flg_param.set(row, 1, std::to_string((u & 0x7FFF) >> 8));
        page.flg_param.set(row, 2, std::to_string(u & 0xFF));
    }
}

// The word the HZL page holds for table register 22000 + r. A text that is no valid
// number for its field refuses the whole write: nothing may spill into bit 15.
std::optional<std::int16_t> hzl_table_word(int r) {
    auto& page = bindings().hzl;
    if (r == 0 || r == 1) {
        const std::string text = r == 0 ? page.txt_hzladr.get() : page.txt_hzlstrt.get();
        const auto v = whole_in_range(parse_number(text), 0, 0xFFFF);
        if (!v) return std::nullopt;
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(*v));
    }
    const int row = r - 1;
    const auto rack = parse_number(page.flg_param.get(row, 1));
    const auto device = parse_number(page.flg_param.get(row, 2));
    std::uint16_t word = 0;
    if (rack && device) {
        // Rack in bits 8..14, device in bits 0..7.
        const auto hi = whole_in_range(rack, 0, 0x7F);
        const auto lo = whole_in_range(device, 0, 0xFF);
        if (!hi || !lo) return std::nullopt;
        word = static_cast<std::uint16_t>(*hi << 8 | *lo);
        // Gateways from version 2.03 on keep bit 15: set for an assigned row whose mark
        // column is empty. An unassigned one is the word 0 (it reads back as 0, 0, X).
        if (page.lbl_ver_txt() >= "2.03" && page.flg_param.get(row, 3).empty()) word |= 0x8000;
    }
    return static_cast<std::int16_t>(word);
}

void store_result_word(int start, int k, std::int16_t v, bool& full) {
    if (images::bus_mode == 1) {
        const int o = start - result_first + k;
        if (start + k > result_last) {
            full = true;
            return;
        }
        bindings().hzl.flg_result.set(o / result_columns + 1, o % result_columns + 1, decimal(v));
    } else {
        const int row = k / result_columns + 1;
        if (row > hzl3_result_rows) {
            full = true;
            return;
        }
        bindings().hzl3.flg_result.set(row, k % result_columns + 1, decimal(v));
    }
}

// Moves the answer's values to where the start register points; false when no area
// holds the start register.
bool store_answer(int start, int count, const Frame& answer) {
    const auto row = find_register_area(start);
    if (!row) return false;
    const std::span<std::int16_t> image = area_image(row->area);
    bool full = false;
    for (int k = 0; k < count && !full; ++k) {
        const std::int16_t v = get_answer_word(answer, 3 + 2 * static_cast<std::size_t>(k));
        switch (row->area) {
            case RegisterArea::hzl_table:
                if (start + k > hzl_table_last) return true;
                store_hzl_table_word(start + k - hzl_table_first, v);
                break;
            case RegisterArea::result_grid:
                store_result_word(start, k, v, full);
                break;
            default:
                if (start + k > row->last) return true;
                image[static_cast<std::size_t>(start - row->first + k)] = v;
        }
    }
    return true;
}

// The values a write sends; 0 past the last index the link exchanges.
std::optional<std::vector<std::int16_t>> gather_values(const RegisterMapRow& row, int start,
                                                       int count) {
    std::vector<std::int16_t> values;
    const std::span<std::int16_t> image = area_image(row.area);
    for (int k = 0; k < count; ++k) {
        const int reg = start + k;
        if (reg > row.last) {
            values.push_back(0);
        } else if (row.area == RegisterArea::hzl_table) {
            const auto w = hzl_table_word(reg - hzl_table_first);
            if (!w) return std::nullopt;
            values.push_back(*w);
        } else {
            values.push_back(image[static_cast<std::size_t>(reg - row.first)]);
        }
    }
    return values;
}

// A failed exchange: counted, a pause with events, the port's input cleared. A late
// answer may be coming in that a port handing bytes on in blocks has not shown yet:
// the resend waits for the line to be quiet for a delivery block. `cut`: the exchange
// ended inside a frame. When that frame was handed on within the longest block an
// answer owed may be held for, or bytes came in the pause, the port may still hold the
// rest; in the resend's window it would be taken for more than it is, so the quiet
// before the resend lasts the owed-answer block.
void after_failed_exchange(bool cut) {
    ++link_error_count;
    wait_seconds(retry_pause_seconds);
    if (cut && ui::clock().now() - rx_block_at < owed_answer_block()) line_threw_bytes = true;
    discard_rx();
    line_unsettled = true;
}

bool addressable(int unit, std::int32_t reg) {
    return unit != 0 && reg >= 0 && reg <= 0xFFFF;
}

}  // namespace

std::int16_t receive_answer(Frame& answer, int unit, int expected, int& echo) {
    platform::Clock& clock = ui::clock();
    const double start = clock.now();
    double last_echo_poll = start;
    answer.clear();
    const auto full_length = static_cast<std::size_t>(expected) + 2;
    AnswerSearch search(static_cast<std::uint8_t>(unit), full_length, false);
    for (;;) {
        if (clock.now() - start > answer_seconds) {
            answer = search.frame();
            return link_status::time_out;
        }
        if (last_echo_poll - start > echo_seconds) return link_status::time_out;
        if (echo > 0 && echo_on == 1) {
            last_echo_poll = clock.now();
            if (get_rx_byte() >= 0)
                --echo;
            else
                wait_rx_until(start + echo_seconds);
            continue;
        }
        const std::int16_t b = get_rx_byte();
        if (b < 0) {
            wait_rx_until(start + answer_seconds);
            continue;
        }
        const AnswerSearch::Step step = search.push(static_cast<std::uint8_t>(b), rx_block_at);
        if (step == AnswerSearch::Step::skipped || step == AnswerSearch::Step::more) continue;
        answer = search.frame();
        answer_began = search.began();
        note_frame_complete();
        if (step == AnswerSearch::Step::failed) return link_status::crc_error;
        note_frame_gap(search.longest_gap());
        return link_status::done;
    }
}

namespace {

// How much an answer may be later than the answers before it (a device or gateway busy
// with other work meanwhile): an answer owed is given the lateness seen and this more,
// whatever the port's block.
constexpr double lateness_spread_seconds = 0.3;

// Answers still on their way after an exchange that needed more than one send, or
// failed. A device answers its requests in order, one each, as late as it may be; so an
// answer taken for the last send may be the late one of an earlier send, and those of
// the sends after it are still to come, looking like the answer to the next request of
// the same unit and count. The link decides by time alone: it gives each send whose
// answer may still come the time it can take, and keeps the line, discarding, until
// every one has come or had its time. Only bytes that begin an answer to the request
// count as one (AnswerHeads), wherever they went: into a frame or thrown away.
class LateAnswers {
  public:
    LateAnswers(const Frame& request, std::optional<std::uint16_t> own_start)
        : heads_(request, own_start, echo_on == 1) {
        watch_answers(&heads_);
    }
    ~LateAnswers() { watch_answers(nullptr); }
    LateAnswers(const LateAnswers&) = delete;
    LateAnswers& operator=(const LateAnswers&) = delete;

    // A send went out; its request has left the line at `request_end`.
    void sent(double request_end) {
        if (count_ < windows_.size())
            windows_[count_++] = {request_end, heads_.pushed(), ui::clock().now()};
    }

    // The receive took a whole frame with a correct CRC (an answer whatever it says: a
    // foreign function code, a count that does not fit), handed on from `first` to `last`.
    void took(double first, double last) {
        std::size_t k = count_;
        while (k > 1 && windows_[k - 1].opened_at > first) --k;
        if (k > 0) seen_whole(taken_[k - 1], {first, last});
    }

    // The exchange is over; `taken`: an answer was taken for the last send.
    void wait_out(bool taken) {
        if (count_ == 0) return;
        if (count_ == 1 && taken) return;  // answered at its first send: nothing owed
        // Nothing that is or may become an answer in four windows: a device that answers
        // within three time-outs would have been seen by now, so it is silent and owes
        // nothing (stray bytes are no answer).
        if (!any_seen(answers_seen()) && !heads_.under_way()) return;
        // The rest of what the last window brought may still be held by the port.
        wait_line_quiet(true, owed_answer_block());
        const auto seen = answers_seen();
        if (!any_seen(seen)) return;
        next_head_ = heads_.heads().size();
        // The answers seen go to the earliest sends they can be for: that makes each as
        // late as it can be, and leaves the latest sends owed. An answer comes that long
        // after its device could begin it: its request had arrived and the answer before
        // it was out (a device that queues its requests answers them one after the other).
        std::size_t answered = 0;
        double lateness = 0;
        double last_end = -std::numeric_limits<double>::infinity();
        for (std::size_t k = 0; k < count_; ++k) {
            if (!seen[k]) continue;
            lateness =
                std::max(lateness, seen[k]->first - std::max(windows_[answered].sent, last_end));
            last_end = seen[k]->last;
            ++answered;
        }
        for (std::size_t i = answered; i < count_; ++i) {
            const double could_begin = std::max(windows_[i].sent, last_end);
            const auto came = discard_answer(could_begin + lateness + lateness_spread_seconds);
            if (!came) continue;  // lost: the next one is timed from the last answer seen
            lateness = std::max(lateness, came->first - could_begin);
            last_end = came->last;
        }
        // The next transaction's receive runs none.
        if (answered < count_) run_events();
    }

  private:
    struct Window {
        double sent = 0;
        std::uint64_t opened = 0;  // bytes taken off the port before the send
        double opened_at = 0;      // when it went out
    };
    struct Seen {
        double first, last;  // when the port handed on its first byte and its last one
    };
    using WindowsSeen = std::array<std::optional<Seen>, max_sends>;

    // A window's answer is the last one that began in it (it makes the answer as late as
    // it can be), ending with the last one's end.
    static void seen_whole(std::optional<Seen>& window, Seen answer) {
        window = Seen{window ? std::max(window->first, answer.first) : answer.first,
                      window ? std::max(window->last, answer.last) : answer.last};
    }

    WindowsSeen answers_seen() const {
        WindowsSeen seen = taken_;
        for (const AnswerHeads::Head& h : heads_.heads()) {
            if (h.at < windows_[0].opened) continue;
            std::size_t k = count_ - 1;
            while (windows_[k].opened > h.at) --k;
            seen_whole(seen[k], {h.first, h.last});
        }
        return seen;
    }
    static bool any_seen(const WindowsSeen& seen) {
        return std::any_of(seen.begin(), seen.end(), [](const auto& s) { return s.has_value(); });
    }

    // Waits, events running, for one answer that may begin up to `due` (the port's
    // delivery block and a silent interval more) and throws it away: whole, or cut
    // short where the line falls quiet. When it came, if at all.
    std::optional<Seen> discard_answer(double due) {
        platform::Clock& clock = ui::clock();
        const auto timing = platform::line_timing(MSComm1().settings());
        const double char_seconds = timing ? timing->char_seconds : 0.0;
        const double silent_seconds = timing ? timing->silent_seconds : 0.0;
        const double block = owed_answer_block();
        const double begins_by = due + block + silent_seconds;
        // A line that never falls quiet is given one longest frame after that.
        const double give_up = begins_by + longest_frame_chars * char_seconds + block;
        for (;;) {
            while (get_rx_byte() >= 0) {
            }
            const auto& heads = heads_.heads();
            const AnswerHeads::Head* head =
                next_head_ < heads.size() ? &heads[next_head_] : nullptr;
            if (head && head->whole()) return take(*head);
            // The rest of an answer begun, or bytes that may still begin one (a byte equal
            // to the unit at the due time), are waited for until the line is quiet.
            const auto under_way = heads_.under_way();
            const double quiet_by =
                under_way ? under_way->last + static_cast<double>(under_way->rest) * char_seconds +
                                silent_seconds + block
                          : -std::numeric_limits<double>::infinity();
            const double now = clock.now();
            if (head && (now >= quiet_by || now >= give_up)) return take(*head);
            if (!head && (now >= give_up || (now >= begins_by && now >= quiet_by)))
                return std::nullopt;
            wait_rx_until(std::min(head ? quiet_by : std::max(begins_by, quiet_by), give_up), true);
        }
    }

    Seen take(const AnswerHeads::Head& head) {
        ++next_head_;
        if (head.good) {
            note_frame_gap(head.longest_gap);
            if (heads_.pushed() == head.at + head.length) note_frame_complete();
        }
        return {head.first, head.last};
    }

    AnswerHeads heads_;
    std::array<Window, max_sends> windows_{};
    WindowsSeen taken_{};  // whole frames the receive took, by window
    std::size_t count_ = 0;
    std::size_t next_head_ = 0;  // the first head not yet counted
};

// Sends the request until a complete, correct answer with the request's function code
// is in `answer`, at most four sends. An answer whose byte count or echoed start and
// count do not fit the request (a write's echo may name `own_start`, the register the
// transmitter behind a gateway knows) fails like one with a bad CRC. After a foreign function
// code a read pauses 1.0 s and checks the port before sending again, a write sends
// again at once; those sends count against the same four, or they could keep a
// transaction going for ever. An exchange that needed more than one send, or failed,
// waits out the answers still to come before it ends.
TransactionEnd exchange(const Frame& request, int unit, int expected, std::uint8_t function,
                        Frame& answer, int& sends,
                        std::optional<std::uint16_t> own_start = std::nullopt) {
    LateAnswers late(request, own_start);
    const auto length = static_cast<std::size_t>(expected) + 2;
    const auto end = [&](TransactionEnd e) {
        late.wait_out(e == TransactionEnd::done);
        return e;
    };
    for (;;) {
        send_request(request, sends);
        late.sent(line_quiet_since);
        ++sends;
        int echo = static_cast<int>(request.size());
        const bool complete = receive_answer(answer, unit, expected, echo) == link_status::done;
        if (complete) late.took(answer_began, rx_block_at);
        if (complete && answer[1] != function) {
            if (function == fn_read_holding) {
                wait_seconds(foreign_answer_pause_seconds);
                reopen_port_if_busy();
            }
            if (sends >= max_sends) return end(TransactionEnd::foreign_answers);
            continue;
        }
        // A CRC that holds over the wrong content (a short answer followed by two zero
        // bytes keeps it) is no better than a bad one.
        if (complete && answer_fits_request(request, answer, own_start))
            return end(TransactionEnd::done);
        after_failed_exchange(!complete && !answer.empty() && answer.size() < length);
        if (sends >= max_sends) return end(TransactionEnd::exchanges_failed);
    }
}

// What every transaction does around its exchange: none while another one waits in a
// pause, the port opened again where it was lost (or given up: no traffic), a port fault
// during the exchange noted for the next one's reopening.
template <class Body>
TransactionResult guarded(Body body) {
    if (in_transaction) return failed(TransactionEnd::nested);
    TransactionGuard guard;
    int sends = 0;
    try {
        if (!reopen_port_if_lost()) return failed(TransactionEnd::port_fault);
        reopen_port_if_busy();
        return body(sends);
    } catch (const ui::UiFault&) {
        note_port_fault();
        return failed(TransactionEnd::port_fault, sends);
    }
}

}  // namespace

TransactionResult read_transaction(int start, int count) {
    return guarded([&](int& sends) -> TransactionResult {
        if (start < 0) return failed(TransactionEnd::negative_start);
        if (count < 1 || count > max_frame_registers) return failed(TransactionEnd::bad_count);
        std::int32_t reg = start;
        const int unit = map_reg_address(reg);
        if (!addressable(unit, reg)) return failed(TransactionEnd::no_selection);
        const Frame request =
            build_read_request(static_cast<std::uint8_t>(unit), static_cast<std::uint16_t>(reg),
                               static_cast<std::uint16_t>(count));
        Frame answer;
        const TransactionEnd end =
            exchange(request, unit, read_answer_length(count), fn_read_holding, answer, sends);
        if (end != TransactionEnd::done) return failed(end, sends);
        if (!store_answer(start, count, answer)) return failed(TransactionEnd::outside_map, sends);
        return {link_status::done, sends, TransactionEnd::done};
    });
}

namespace {

// given: the words to send in place of the image's (empty: the image's own).
TransactionResult write_of(int start, int count, std::span<const std::int16_t> given) {
    return guarded([&](int& sends) -> TransactionResult {
        std::int32_t reg = start;
        const int unit = map_reg_address(reg);
        const auto row = start >= 0 ? find_register_area(start) : std::nullopt;
        if (!row || !row->writable) return failed(TransactionEnd::refused);
        if (count < 1 || count > max_frame_registers) return failed(TransactionEnd::bad_count);
        if (!addressable(unit, reg)) return failed(TransactionEnd::no_selection);
        const auto values = given.empty() ? gather_values(*row, start, count)
                                          : std::optional<std::vector<std::int16_t>>(
                                                std::in_place, given.begin(), given.end());
        if (!values) return failed(TransactionEnd::bad_page_value);
        const Frame request = build_write_request(static_cast<std::uint8_t>(unit),
                                                  static_cast<std::uint16_t>(reg), *values);
        std::optional<std::uint16_t> own_start;
        if (const auto own = transmitter_own_register(images::bus_mode, start))
            own_start = static_cast<std::uint16_t>(*own);
        Frame answer;
        const TransactionEnd end = exchange(request, unit, write_answer_length(), fn_write_multiple,
                                            answer, sends, own_start);
        if (end != TransactionEnd::done) return failed(end, sends);
        return {link_status::done, sends, TransactionEnd::done};
    });
}

}  // namespace

TransactionResult write_transaction(int start, int count) {
    return write_of(start, count, {});
}

bool transaction_underway() {
    return in_transaction;
}

std::int16_t read_regs(int start, int count) {
    return read_transaction(start, count).status;
}

std::int16_t write_regs(int start, int count) {
    return write_transaction(start, count).status;
}

std::int16_t write_words(int start, std::span<const std::int16_t> words) {
    if (words.empty()) return failed(TransactionEnd::bad_count).status;
    return write_of(start, static_cast<int>(words.size()), words).status;
}

std::int16_t read_device_type(std::int16_t& code) {
    if (read_regs(0, 5) != link_status::done) return link_status::failed;
    code = status_regs[0];
    return link_status::done;
}

std::int16_t read_one_reg(int reg, std::int16_t& value) {
    if (reg < 0 || reg >= static_cast<int>(status_regs.size())) return link_status::failed;
    if (read_regs(reg, 1) != link_status::done) return link_status::failed;
    value = status_regs[static_cast<std::size_t>(reg)];
    return link_status::done;
}

std::int16_t read_reg_window() {
    return read_regs(reg_win_start, reg_win_count) != link_status::done ? link_status::failed
                                                                        : link_status::done;
}

}  // namespace dvx::link
