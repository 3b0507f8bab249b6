#include "job/reader_messages.h"

#include "job/log.h"

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

}  // namespace vantrel
