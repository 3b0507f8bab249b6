#include "job/reader_messages.h"

#include "job/log.h"
#include "job/output_backups.h"

namespace vantrel {

namespace {

LogColour ToneColour(MessageTone tone) {
    switch (tone) {
        case MessageTone::Error: return ColourRed;
        case MessageTone::Plain: break;
    }
    return ColourBlack;
}

}  // namespace

void ShowReaderMessages(UserInterface& ui, std::span<const ReaderMessage> messages) {
    for (const ReaderMessage& m : messages) {
        switch (m.Kind) {
            case ReaderMessageKind::LogLine: LogLine(ui, m.Text, ToneColour(m.Tone)); break;
            case ReaderMessageKind::ErrorBox: ShowError(ui, m.Text); break;
            case ReaderMessageKind::WarningBox: ui.WarningBox(m.Text); break;
        }
    }
}

std::string ReadPlaceText(std::string_view fileName, const ReadFailure& failure) {
    if (!failure.Failed || failure.Line <= 0) return {};
    std::string text = "  " + BareFileName(fileName) + ", line " + IntegerText(failure.Line);
    if (*failure.Field != '\0') text += ", " + std::string(failure.Field);
    text += failure.Found.empty() ? std::string(": cannot be read") : ": found \"" + failure.Found + "\"";
    return text;
}

void ShowReadPlace(UserInterface& ui, std::string_view fileName, const ReadFailure& failure) {
    const std::string text = ReadPlaceText(fileName, failure);
    if (!text.empty()) LogLine(ui, text, ColourRed);
}

}  // namespace vantrel
