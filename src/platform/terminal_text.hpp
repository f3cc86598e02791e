#pragma once

// The one rule for text that reaches a terminal. Text from files, feeds, the environment and the command
// line may carry characters the terminal acts on (C0 controls, DEL, and C1 controls such as U+009B, a
// one-byte CSI) or that reorder what is shown around them (bidirectional controls); none of them reaches
// the terminal as it is. Text shown is made inert by dropping them; text echoed in a message shows them
// as visible escapes, so that the person sees exactly what was given.

#include <string>
#include <string_view>

namespace qb {

// Whether a terminal acts on the character or reorders the text around it: C0 and C1 controls, DEL,
// U+061C, U+200E, U+200F, U+202A to U+202E and U+2066 to U+2069.
bool isTerminalControl(char32_t c);

// Whether the character opens or closes a bidirectional embedding, override or isolate (U+202A to
// U+202E, U+2066 to U+2069): the text after it is reordered, or shown reversed, up to the end of its
// paragraph, even past the end of the string that held it.
bool isBidiEmbeddingControl(char32_t c);

// The text without those characters, for a text shown beside others in any renderer: it keeps its
// own direction but can neither reverse nor reorder what follows it. Everything else stays as it is.
std::string withoutBidiEmbeddingControls(std::string_view text);

// The text for display: the characters above dropped, a tab as a blank, a line break (also U+2028 and
// U+2029) as a blank or, with `keepLineBreaks`, as "\n"; invalid UTF-8 as U+FFFD.
std::string inertText(std::string_view text, bool keepLineBreaks = false);

// The text with the characters above, backslashes and invalid UTF-8 written as visible escapes, as a
// shell's $'...' reads them: "\e", "\n", "\x7f" and "\u009b" for controls, "\u202e" for bidirectional
// controls, "\xff" for a byte that is not UTF-8, "\\" for a backslash. For log lines.
std::string escapedText(std::string_view text);

// The text escaped as above, its double quotes too, in double quotes: for a message that echoes input,
// as in: unknown command "tim\e]0;PWNED\a".
std::string quotedForMessage(std::string_view text);

// Dumped JSON with the characters above that JSON leaves raw (C1 and bidirectional controls, which can
// only stand in its strings) written as \u escapes: the same value, safe to print on a terminal.
std::string terminalSafeJson(std::string_view json);

}  // namespace qb
