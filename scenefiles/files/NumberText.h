#pragma once

#include <string>

// Numbers as the XML simulation file writes and reads them, whatever the process's locale.

// "%f" with a point as the decimal separator.
std::string formatNumber(float value);

// atof: leading blanks, then the longest numeric prefix; no number reads as 0. The result
// is the nearest double to the text, rounded to float.
float parseNumber(const char* text);

// The quick path of parseNumber: a plain decimal ("-"? digits ("." digits?)?) of at most
// 15 digits, nothing around it, read to the nearest double. False for any other text.
bool readPlainDecimal(const char* text, double* value);
