// The four expansion routes and the steps they share. Each returns the size result: the
// resulting ROM data size in megabits, or 0 for failure or cancel.
#pragma once

#include <cstdint>

#include "platform_calls.h"

struct RouteStart {
  uint32_t file_length;
  uint32_t header_base;  // 0x200 when a copier header leads, else 0
  uint32_t old_length;   // ROM data length, copier header excluded
  uint32_t target;       // target ROM data length in bytes
  uint8_t map_mode;      // from the internal header, for the routes that probe it
  uint8_t chipset;
};

// Entry checks shared by every route. Returns true when the route has work to do; otherwise
// `*result` is what the route returns: 0 when it cannot act, the old size in megabits when the
// ROM data is already at least the target.
bool StartRoute(uint32_t size_code, RouteStart* start, uint32_t* result);
// StartRoute, then the header probe, which reports a ROM without a valid checksum pair.
bool StartProbedRoute(WindowHandle owner, uint32_t size_code, RouteStart* start, uint32_t* result);

// Appends zeros up to the target. True once they are written: routes change nothing inside
// the old data before that, so a full disk leaves the ROM data as it was.
bool PadToTarget(uint32_t file_length, uint32_t target);

// Makes the file at least `length` long; true once every write has gone through.
bool PadToLength(uint32_t length);

// Success result once every write has gone through and the file is `expected_length` long;
// 0 otherwise.
uint32_t FinishRoute(uint32_t expected_length, uint32_t target);

uint32_t ExpandPlain(uint32_t target, uint32_t file_length);
uint32_t ExpandExHiRom(WindowHandle owner, uint32_t size_code);
uint32_t ExpandExLoRom(WindowHandle owner, uint32_t size_code);
uint32_t ExpandSpecialChip(WindowHandle owner, uint32_t size_code);
void ApplyTitleFix(uint32_t header_base);
