#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

// One input of the engine's fuzz target, as the fuzzer and the regression replay feed it.
//
// The input is UTF-8 text: a statement, or a first line and a statement after it. The statement
// runs through Connection::run on a small demo office kept in memory, twice: once on a connection
// that has forgotten every prepared shape, once after the first line has run (so its shape and
// head are fresh in the cache). Every run is rolled back, so inputs do not change the office.
// Anything but the engine's own error is a crash; so is an answer that depends on what ran
// before (one run fails and the other does not, or they return other rows).
//
// Returns a short description of the outcome (for the replay test's messages).
QString runEngineFuzzInput(const uint8_t* data, size_t size);
