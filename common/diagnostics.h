// The one way out for what Quillmere has to say on standard error: every warning and error goes
// through Report, and the program (or a test) decides where it lands by replacing the sink.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// info: what the user may want to know (where a file went, a seed to make a texture again);
// warning: something was skipped or replaced and the program goes on; error: something failed.
enum class Level { info, warning, error };

// Receives the text of one report, without the "quillmere: " prefix and without a line end.
using DiagnosticSink = std::function<void(Level level, std::string_view text)>;

// Hands the text to the current sink. The default sink writes "quillmere: <text>\n" to standard
// error.
void Report(Level level, std::string_view text);

// Replaces the sink and returns the one it replaces; an empty sink restores the default.
DiagnosticSink SetDiagnosticSink(DiagnosticSink sink);

// The default sink's line for a text: "quillmere: <text>\n".
std::string DiagnosticLine(std::string_view text);

// Collects every report while it lives (tests, and callers that summarise reports themselves).
class CapturedDiagnostics {
public:
    CapturedDiagnostics();
    ~CapturedDiagnostics();
    CapturedDiagnostics(const CapturedDiagnostics&) = delete;
    CapturedDiagnostics& operator=(const CapturedDiagnostics&) = delete;

    // Every report so far, each as the default sink would write it.
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
    DiagnosticSink m_previous;
};
