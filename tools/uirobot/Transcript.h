// The robot's transcript on standard output. Every event is one line stamped
// with the seconds since the robot started; details follow on indented lines.
// Texts read from the target are code page 1252 and printed as they are.
// Both the script thread and the debugger thread write to it.
#pragma once

#include <string>

void TranscriptStart();
void Say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void SayDetail(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A text in double quotes on one line: CR dropped, LF shown as \n.
std::string Quoted(const std::string& text);
