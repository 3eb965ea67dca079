#include "sim/wire_faults.h"

#include <algorithm>

#include "sim/crc.h"

namespace dvx::sim {

int apply_wire_faults(Reply& reply, std::span<Fault* const> applied, const AnswerShape& a,
                      int exception) {
    auto& b = reply.bytes;
    constexpr FaultKind order[] = {
        FaultKind::exception,        FaultKind::register_count, FaultKind::foreign_function,
        FaultKind::wrong_byte_count, FaultKind::wrong_echo,     FaultKind::wrong_unit,
        FaultKind::collision,        FaultKind::bad_crc,        FaultKind::truncated,
        FaultKind::extra_bytes,      FaultKind::noise_before,   FaultKind::delayed};
    for (FaultKind kind : order)
        for (const Fault* fault : applied) {
            if (fault->kind() != kind) continue;
            switch (kind) {
                case FaultKind::exception:
                    b = {static_cast<std::uint8_t>(a.unit),
                         static_cast<std::uint8_t>(a.function | 0x80),
                         static_cast<std::uint8_t>(fault->code())};
                    append_crc(b);
                    exception = fault->code();
                    break;
                case FaultKind::foreign_function:
                    b[1] = static_cast<std::uint8_t>(fault->code());
                    fix_crc(b);
                    break;
                case FaultKind::register_count:
                    if (a.function == 3 && !exception) {
                        // Fewer: the last words go; more: words of 0 follow.
                        const int words =
                            std::clamp(static_cast<int>(a.words.size()) + fault->count(), 0, 127);
                        b.resize(3);
                        b[2] = static_cast<std::uint8_t>(2 * words);
                        for (int k = 0; k < words; ++k)
                            put_word(b, k < static_cast<int>(a.words.size())
                                            ? a.words[static_cast<std::size_t>(k)]
                                            : 0);
                        append_crc(b);
                    }
                    break;
                case FaultKind::wrong_byte_count:
                    if (a.function == 3 && !exception)
                        b[2] = static_cast<std::uint8_t>(b[2] + fault->count());
                    fix_crc(b);
                    break;
                case FaultKind::wrong_echo:
                    if (a.function == 16 && !exception && b.size() == 8) {
                        put_word_at(b, 2, a.echo_start + fault->code());
                        put_word_at(b, 4, a.count + fault->count());
                    }
                    fix_crc(b);
                    break;
                case FaultKind::wrong_unit:
                    b[0] =
                        static_cast<std::uint8_t>(fault->code() ? fault->code() : a.unit % 255 + 1);
                    fix_crc(b);
                    break;
                case FaultKind::collision:
                    // Two senders at once: the unit byte survives, the rest is garbled.
                    for (std::size_t i = 2; i + 2 < b.size(); ++i) b[i] ^= 0x5A;
                    if (b.size() <= 5) b[b.size() - 1] ^= 0x5A;
                    break;
                case FaultKind::bad_crc:
                    b.back() ^= 0x01;
                    break;
                case FaultKind::truncated:
                    b.resize(b.size() > static_cast<std::size_t>(fault->count())
                                 ? b.size() - fault->count()
                                 : 0);
                    break;
                case FaultKind::extra_bytes:
                    b.insert(b.end(), fault->bytes().begin(), fault->bytes().end());
                    break;
                case FaultKind::noise_before:
                    b.insert(b.begin(), fault->bytes().begin(), fault->bytes().end());
                    break;
                case FaultKind::delayed:
                    reply.delay += fault->seconds();
                    break;
                default:
                    break;
            }
        }
    return exception;
}

}  // namespace dvx::sim
