#pragma once
// The faults that change an answer on its way to the master: its content (exception,
// function code, word count, byte count, echo, unit) and its frame (collision, CRC,
// truncation, bytes before and after, delay). Plant::handle builds the sound answer
// and hands it here with the faults its request matched.
#include <cstdint>
#include <span>
#include <vector>

#include "sim/fault.h"
#include "sim/plant.h"

namespace dvx::sim {

// What the faults need to know of the request and its sound answer.
struct AnswerShape {
    int unit = 0;
    int function = 0;
    int count = 0;                         // registers asked for or written
    int echo_start = 0;                    // a write answer's start register
    std::span<const std::uint16_t> words;  // a read answer's words
};

// Applies the wire faults among `applied` to `reply`, content faults first (they keep a
// correct CRC), then those that break the frame. `exception` is the answer's exception
// code; returns it, or the code an exception fault answered instead.
int apply_wire_faults(Reply& reply, std::span<Fault* const> applied, const AnswerShape& answer,
                      int exception);

}  // namespace dvx::sim
