#include "link/rtu_frame.h"

#include <algorithm>

namespace dvx::link {

void init_crc_tables() {}

std::uint16_t crc16_modbus(std::span<const std::uint8_t> data) {
    // A is the CRC's low byte (sent first), B its high byte.
    std::uint8_t a = 0xFF;
    std::uint8_t b = 0xFF;
    for (const std::uint8_t c : data) {
        const std::uint8_t i = c ^ a;
        a = crc_hi_table[i] ^ b;
        b = crc_lo_table[i];
    }
    return static_cast<std::uint16_t>(b << 8 | a);
}

void append_crc(Frame& frame) {
    const std::uint16_t crc = crc16_modbus(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool crc_matches(std::span<const std::uint8_t> frame) {
    if (frame.size() < 2) return false;
    const std::size_t n = frame.size() - 2;
    const std::uint16_t crc = crc16_modbus(frame.first(n));
    return frame[n] == (crc & 0xFF) && frame[n + 1] == (crc >> 8);
}

bool answer_fits_request(std::span<const std::uint8_t> request,
                         std::span<const std::uint8_t> answer,
                         std::optional<std::uint16_t> other_start) {
    if (request.size() < 6 || answer.size() < 2) return false;
    switch (request[1]) {
        case fn_read_holding:
            // A shorter answer padded out to the expected length (two zero bytes after
            // its CRC keep the CRC correct) says so only in its byte count.
            return answer.size() >= 3 && answer[2] == 2 * (request[4] << 8 | request[5]);
        case fn_write_single:  // echoes the register and its value
            return answer.size() >= 6 &&
                   std::equal(request.begin() + 2, request.begin() + 6, answer.begin() + 2);
        case fn_write_multiple: {  // echoes the start register and the count
            if (answer.size() < 6 ||
                !std::equal(request.begin() + 4, request.begin() + 6, answer.begin() + 4))
                return false;
            const int echoed = answer[2] << 8 | answer[3];
            return echoed == (request[2] << 8 | request[3]) ||
                   (other_start && echoed == *other_start);
        }
        default:
            return true;
    }
}

std::optional<std::size_t> answer_length_from_head(std::span<const std::uint8_t> head) {
    if (head.size() < 2) return 0;
    if (head[1] & 0x80) return 5;
    if (head[1] == fn_write_multiple) return static_cast<std::size_t>(write_answer_length()) + 2;
    if (head[1] != fn_read_holding) return std::nullopt;
    if (head.size() < 3) return 0;
    return 5u + head[2];
}

AnswerSearch::AnswerSearch(std::uint8_t unit, std::size_t length, bool any)
    : unit_(unit), length_(length), any_(any) {}

std::size_t AnswerSearch::full_length() const {
    if (!any_) return length_;
    return answer_length_from_head(frame_).value_or(length_);
}

// frame_[at..] can be the head of an answer looked for, as far as it goes.
bool AnswerSearch::could_begin(std::size_t at) const {
    if (frame_[at] != unit_) return false;
    const auto length = answer_length_from_head(std::span(frame_).subspan(at));
    if (!length) return false;
    return *length == 0 || any_ || *length == length_;
}

AnswerSearch::Step AnswerSearch::settle() {
    for (;;) {
        const std::size_t n = full_length();
        if (n == 0 || frame_.size() < n) return Step::more;
        if (crc_matches(std::span(frame_).first(n))) {
            rest_.assign(frame_.begin() + static_cast<std::ptrdiff_t>(n), frame_.end());
            rest_times_.assign(times_.begin() + static_cast<std::ptrdiff_t>(n), times_.end());
            frame_.resize(n);
            times_.resize(n);
            return Step::complete;
        }
        std::size_t at = 1;
        while (at < frame_.size() && !could_begin(at)) ++at;
        if (at == frame_.size()) return Step::failed;
        frame_.erase(frame_.begin(), frame_.begin() + static_cast<std::ptrdiff_t>(at));
        times_.erase(times_.begin(), times_.begin() + static_cast<std::ptrdiff_t>(at));
    }
}

AnswerSearch::Step AnswerSearch::push(std::uint8_t b, double handed_on) {
    if (frame_.empty() && b != unit_) return Step::skipped;
    frame_.push_back(b);
    times_.push_back(handed_on);
    return settle();
}

AnswerSearch::Step AnswerSearch::next() {
    Frame rest = std::move(rest_);
    std::vector<double> times = std::move(rest_times_);
    frame_.clear();
    times_.clear();
    rest_.clear();
    rest_times_.clear();
    Step step = Step::skipped;
    for (std::size_t i = 0; i < rest.size(); ++i) {
        step = push(rest[i], times[i]);
        if (step == Step::complete || step == Step::failed) {
            const auto from = static_cast<std::ptrdiff_t>(i + 1);
            rest_.insert(rest_.end(), rest.begin() + from, rest.end());
            rest_times_.insert(rest_times_.end(), times.begin() + from, times.end());
            break;
        }
    }
    return step;
}

double AnswerSearch::longest_gap() const {
    double gap = 0;
    for (std::size_t i = 1; i < times_.size(); ++i) gap = std::max(gap, times_[i] - times_[i - 1]);
    return gap;
}

AnswerHeads::AnswerHeads(std::span<const std::uint8_t> request,
                         std::optional<std::uint16_t> other_start, bool echoed)
    : request_(request.begin(), request.end()), echoed_(echoed) {
    if (request_.size() < 6) {
        head_size_ = 0;
        return;
    }
    if (request_[1] == fn_read_holding) {
        // unit, 3, the byte count: twice the registers asked for
        head_size_ = 3;
        wanted_.push_back({request_[0], fn_read_holding,
                           static_cast<std::uint8_t>(2 * (request_[4] << 8 | request_[5]))});
        return;
    }
    // A write's answer echoes the request's first six bytes (a gateway passing on the
    // transmitter's answer echoes the register the transmitter knows).
    head_size_ = 6;
    wanted_.emplace_back(request_.begin(), request_.begin() + 6);
    if (other_start && request_[1] == fn_write_multiple) {
        Frame other = wanted_.front();
        other[2] = static_cast<std::uint8_t>(*other_start >> 8);
        other[3] = static_cast<std::uint8_t>(*other_start & 0xFF);
        wanted_.push_back(other);
    }
}

std::size_t AnswerHeads::length_told() const {
    return run_[1].b == fn_read_holding ? 5u + run_[2].b : 8u;
}

AnswerHeads::Fit AnswerHeads::fit() const {
    const std::size_t n = std::min(run_.size(), head_size_);
    const bool begins = std::any_of(wanted_.begin(), wanted_.end(), [&](const Frame& w) {
        for (std::size_t i = 0; i < n; ++i)
            if (run_[i].b != w[i]) return false;
        return true;
    });
    if (!begins) return Fit::no;
    if (run_.size() < head_size_) return Fit::maybe;
    if (echoed_) {
        // The echo of the request begins as a write's answer does: told apart once the
        // bytes differ from the request or reach the answer's length.
        const std::size_t decides = std::min(length_told(), request_.size());
        std::size_t same = 0;
        while (same < run_.size() && same < decides && run_[same].b == request_[same]) ++same;
        if (same == run_.size() && same < decides) return Fit::maybe;
        if (same == decides) return Fit::no;
    }
    return Fit::head;
}

void AnswerHeads::drop_to_next_unit() {
    std::size_t at = 1;
    while (at < run_.size() && run_[at].b != request_[0]) ++at;
    run_.erase(run_.begin(), run_.begin() + static_cast<std::ptrdiff_t>(std::min(at, run_.size())));
}

void AnswerHeads::settle() {
    while (!run_.empty()) {
        if (!counted_) {
            const Fit f = fit();
            if (f == Fit::maybe) return;
            if (f == Fit::no) {
                drop_to_next_unit();
                continue;
            }
            heads_.push_back({run_.front().n, run_.front().t, 0, 0, length_told()});
            counted_ = true;
        }
        Head& h = heads_.back();
        h.have = std::min(run_.size(), h.length);
        h.last = run_[h.have - 1].t;
        if (run_.size() < h.length) return;
        Frame frame;
        for (std::size_t i = 0; i < h.length; ++i) frame.push_back(run_[i].b);
        counted_ = false;
        if (!crc_matches(frame)) {
            drop_to_next_unit();  // an answer may begin inside it
            continue;
        }
        h.good = true;
        for (std::size_t i = 1; i < h.length; ++i)
            h.longest_gap = std::max(h.longest_gap, run_[i].t - run_[i - 1].t);
        run_.erase(run_.begin(), run_.begin() + static_cast<std::ptrdiff_t>(h.length));
        if (!run_.empty() && run_.front().b != request_[0]) drop_to_next_unit();
    }
}

void AnswerHeads::push(std::uint8_t b, double handed_on) {
    const std::uint64_t n = pushed_++;
    if (head_size_ == 0 || (run_.empty() && b != request_[0])) return;
    run_.push_back({b, handed_on, n});
    settle();
}

std::optional<AnswerHeads::UnderWay> AnswerHeads::under_way() const {
    if (run_.empty()) return std::nullopt;
    std::size_t to = head_size_;
    if (counted_)
        to = heads_.back().length;
    else if (echoed_ && run_.size() >= head_size_)
        to = std::min(length_told(), request_.size());
    return UnderWay{to > run_.size() ? to - run_.size() : 1, run_.back().t};
}

static void append_word(Frame& f, std::uint16_t w) {
    f.push_back(static_cast<std::uint8_t>(w >> 8));
    f.push_back(static_cast<std::uint8_t>(w & 0xFF));
}

Frame build_read_request(std::uint8_t unit, std::uint16_t reg, std::uint16_t count) {
    Frame f{unit, fn_read_holding};
    append_word(f, reg);
    append_word(f, count);
    append_crc(f);
    return f;
}

Frame build_write_request(std::uint8_t unit, std::uint16_t reg,
                          std::span<const std::int16_t> values) {
    Frame f{unit, fn_write_multiple};
    append_word(f, reg);
    append_word(f, static_cast<std::uint16_t>(values.size()));
    f.push_back(static_cast<std::uint8_t>(2 * values.size()));
    for (const std::int16_t v : values) append_word(f, static_cast<std::uint16_t>(v));
    append_crc(f);
    return f;
}

std::int16_t get_answer_word(std::span<const std::uint8_t> answer, std::size_t pos) {
    if (pos + 1 >= answer.size()) return 0;
    return static_cast<std::int16_t>(
        static_cast<std::uint16_t>(answer[pos] << 8 | answer[pos + 1]));
}

}  // namespace dvx::link
