#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The frame-time monitor's own lines: the target line and the sample line.

constexpr size_t kSampleLineBytes = 65536;
// Items are appended only while the line is shorter than this, so the
// closing "]}" always fits.
constexpr size_t kSampleLineItemLimit = 65504;
constexpr size_t kTargetLineBytes = 600;

// {"t":..,"pid":..,"fg":..,"ms":[..]} into line (capacity bytes, at least
// 64); returns its length. Every line is whole JSON, however many items.
size_t FormatSampleLine(char* line, size_t capacity, double t, uint32_t processId, bool foreground,
                        const std::vector<double>& frameTimes);

// {"event":"target","pid":..,"name":".."}; the name is cut before it could
// push the closing quote and brace out of the buffer.
size_t FormatTargetLine(char (&line)[kTargetLineBytes], uint32_t processId, const wchar_t* name);
