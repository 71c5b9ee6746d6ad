#include "common/diagnostics.h"

#include <iostream>
#include <utility>

namespace {

void WriteToStandardError(Level, std::string_view text) {
    // One write per line; standard error is tied to standard output, so whatever was printed
    // before the report comes out first.
    std::cerr << DiagnosticLine(text);
}

DiagnosticSink& CurrentSink() {
    static DiagnosticSink sink = WriteToStandardError;
    return sink;
}

} // namespace

std::string DiagnosticLine(std::string_view text) {
    std::string line = "quillmere: ";
    line.append(text.data(), text.size());
    line += '\n';
    return line;
}

void Report(Level level, std::string_view text) {
    CurrentSink()(level, text);
}

DiagnosticSink SetDiagnosticSink(DiagnosticSink sink) {
    if (!sink) {
        sink = WriteToStandardError;
    }
    return std::exchange(CurrentSink(), std::move(sink));
}

CapturedDiagnostics::CapturedDiagnostics()
    : m_previous(SetDiagnosticSink(
          [this](Level, std::string_view text) { m_text += DiagnosticLine(text); })) {}

CapturedDiagnostics::~CapturedDiagnostics() {
    SetDiagnosticSink(std::move(m_previous));
}
