#pragma once
// Modbus RTU frames as pure functions over bytes: the two requests the master sends
// (function 3 read holding registers, function 16 write multiple registers), the
// length of the answers it expects, the CRC-16/MODBUS that closes every frame and the
// register words inside an answer. Every multi-byte field is written byte by byte in
// wire order: register numbers and values high byte first, the CRC low byte first.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace dvx::link {

using Frame = std::vector<std::uint8_t>;

inline constexpr std::uint8_t fn_read_holding = 3;
inline constexpr std::uint8_t fn_write_single = 6;
inline constexpr std::uint8_t fn_write_multiple = 16;
// The byte-count field of a write request (and of a read answer) is one byte: 2 x 127 = 254.
inline constexpr int max_frame_registers = 127;

namespace detail {
// Entry i is the CRC of the single byte i (reflected polynomial 0xA001, start 0).
constexpr std::uint16_t crc_of_byte(unsigned i) {
    std::uint16_t c = static_cast<std::uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit)
        c = (c & 1) ? static_cast<std::uint16_t>((c >> 1) ^ 0xA001)
                    : static_cast<std::uint16_t>(c >> 1);
    return c;
}
constexpr std::array<std::uint8_t, 256> crc_table(bool high_part) {
    std::array<std::uint8_t, 256> t{};
    for (unsigned i = 0; i < 256; ++i) {
        const std::uint16_t c = crc_of_byte(i);
        t[i] = static_cast<std::uint8_t>(high_part ? (c >> 8) : (c & 0xFF));
    }
    return t;
}
}  // namespace detail

// The two tables of the table-driven CRC of the Modbus serial line standard: the
// "high-order" table (0x00, 0xC1, 0x81, 0x40, ...) holds the low byte of the CRC of
// byte i, the "low-order" table (0x00, 0xC0, 0xC1, 0x01, ...) its high byte.
inline constexpr std::array<std::uint8_t, 256> crc_hi_table = detail::crc_table(false);
inline constexpr std::array<std::uint8_t, 256> crc_lo_table = detail::crc_table(true);

// Kept for the main window's start-up sequence: the tables are compile-time constants,
// so there is nothing left to fill and a CRC is correct even before this runs.
void init_crc_tables();

// CRC-16/MODBUS of the bytes (start 0xFFFF, no final xor). The low byte of the result is
// the first CRC byte on the wire. An empty span gives 0xFFFF.
std::uint16_t crc16_modbus(std::span<const std::uint8_t> data);

// Appends the CRC of everything in the frame so far, low byte first.
void append_crc(Frame& frame);
// True when the last two bytes are the CRC (low, high) of all bytes before them.
bool crc_matches(std::span<const std::uint8_t> frame);

// True when a complete answer says what the answer to `request` must say: a read
// answer's byte count is twice the registers asked for, a write answer echoes the
// request's count and its start register or `other_start` (a gateway may pass on the
// transmitter's own answer, with the register the transmitter knows), a single write
// its register and value. Unit, function code and CRC are checked apart.
bool answer_fits_request(std::span<const std::uint8_t> request,
                         std::span<const std::uint8_t> answer,
                         std::optional<std::uint16_t> other_start = std::nullopt);

// unit, 3, start hi, lo, count hi, lo, CRC lo, hi (8 bytes).
Frame build_read_request(std::uint8_t unit, std::uint16_t reg, std::uint16_t count);
// unit, 16, start hi, lo, count hi, lo, byte count, values hi/lo..., CRC lo, hi
// (9 + 2 x count bytes). The caller keeps count within 1..max_frame_registers.
Frame build_write_request(std::uint8_t unit, std::uint16_t reg,
                          std::span<const std::int16_t> values);

// Answer lengths without the two CRC bytes: a read answer is unit, 3, byte count and
// the values (3 + 2 x count); a write answer is unit, 16, start and count (6).
constexpr int read_answer_length(int count) {
    return 3 + 2 * count;
}
constexpr int write_answer_length() {
    return 6;
}

// The full length of an answer frame (CRC included) from its head: 5 for an exception,
// 8 for a write (function 16), 5 + the byte count for a read (function 3); 0 while the
// head does not tell it yet, nullopt for a function the link does not ask for.
std::optional<std::size_t> answer_length_from_head(std::span<const std::uint8_t> head);

// An answer frame of one unit, taken byte by byte from bytes that may begin inside
// something else (the tail of a late answer, an echo, noise). The frame starts at a byte
// equal to the unit; once it is as long as the answer looked for and fails its CRC, the
// search goes on at the next byte equal to the unit further on whose head can begin such
// an answer (by the length the head gives), so an answer behind such bytes is still
// found whole.
class AnswerSearch {
  public:
    enum class Step {
        skipped,   // no frame begun: the byte is not the unit's
        more,      // part of a frame that is not complete yet
        complete,  // frame() is an answer with a correct CRC
        failed,    // frame() fails its CRC and holds no head of another answer
    };
    // `length`: the full length of the answer looked for. With `any`, every answer of the
    // unit counts, each as long as its head says (one of a function the link does not
    // ask for as long as `length`).
    AnswerSearch(std::uint8_t unit, std::size_t length, bool any);
    // One byte and when the port handed it on.
    Step push(std::uint8_t b, double handed_on);
    // After complete or failed: the search starts afresh with the bytes after a complete
    // frame (a failed one is dropped whole); the step those bytes come to.
    Step next();

    const Frame& frame() const { return frame_; }
    bool started() const { return !frame_.empty(); }
    // The frame's full length: 0 while its head does not tell it.
    std::size_t full_length() const;
    // When the port handed on the frame's first byte, and the longest time between two
    // of its bytes being handed on.
    double began() const { return times_.empty() ? 0 : times_.front(); }
    double longest_gap() const;

  private:
    bool could_begin(std::size_t at) const;
    Step settle();

    std::uint8_t unit_;
    std::size_t length_;
    bool any_;
    Frame frame_;
    std::vector<double> times_;
    Frame rest_;  // bytes after a complete frame, for the next search
    std::vector<double> rest_times_;
};

// Where answers to one request begin among the bytes a port hands on, whatever else is
// among them (noise, another unit's frames, the tails of answers gone, the request's own
// echo): bytes count as the beginning of an answer once they begin as that answer must
// (the unit, the function, a read's byte count, a write's start and count), never a lone
// byte equal to the unit. The bytes behind a head, up to the length it tells, are its
// body; a body whose CRC fails is looked through again, as an answer may begin inside it.
class AnswerHeads {
  public:
    struct Head {
        std::uint64_t at = 0;  // the number of its first byte among the bytes pushed
        double first = 0;      // when the port handed that byte on
        double last = 0;       // when it handed on the frame's last byte so far
        std::size_t have = 0;  // bytes of the frame so far
        std::size_t length = 0;
        bool good = false;       // whole, with a correct CRC
        double longest_gap = 0;  // between two of its bytes being handed on, once good
        bool whole() const { return have >= length; }
    };
    // What is under way after the last head: bytes that may still turn out an answer, or
    // the rest of one; how many more bytes decide it and when the last one came.
    struct UnderWay {
        std::size_t rest;
        double last;
    };
    // `echoed`: the adapter echoes what is sent, so bytes equal to the request are its echo.
    AnswerHeads(std::span<const std::uint8_t> request, std::optional<std::uint16_t> other_start,
                bool echoed);
    void push(std::uint8_t b, double handed_on);

    const std::vector<Head>& heads() const { return heads_; }
    std::uint64_t pushed() const { return pushed_; }
    std::optional<UnderWay> under_way() const;

  private:
    enum class Fit { no, maybe, head };
    Fit fit() const;
    // The length the head at the front of run_ tells (it fits the request).
    std::size_t length_told() const;
    void settle();
    void drop_to_next_unit();

    struct Byte {
        std::uint8_t b;
        double t;
        std::uint64_t n;
    };
    Frame request_;
    std::vector<Frame> wanted_;  // the heads an answer may begin with
    std::size_t head_size_;
    bool echoed_;
    std::vector<Byte> run_;  // from a byte equal to the unit: a head so far, or a head and its body
    bool counted_ = false;   // run_ begins with heads_.back()
    std::vector<Head> heads_;
    std::uint64_t pushed_ = 0;
};

// The register word whose high byte is at offset pos (0-based): hi x 256 + lo as a
// signed 16-bit value, so 0xFF38 reads as -200. The k-th value of a read answer is at
// pos = 3 + 2k. Offsets outside the frame give 0.
std::int16_t get_answer_word(std::span<const std::uint8_t> answer, std::size_t pos);

}  // namespace dvx::link
