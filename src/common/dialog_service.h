#pragma once
// Every message box and file dialog of both programs goes through this interface, so that the
// windows never call the toolkit's modal dialogs directly and tests can script the answers.
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace livna {

enum class MsgIcon { None, Information, Warning, Error, Question };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

/// Captions used across the programs.
inline constexpr const char* kCaptionSystemMessage =
    "Системное сообщение";                                                 ///< warnings, questions, refusals
inline constexpr const char* kCaptionDeviceMessage = "Сообщение системы";  ///< device and file results
inline constexpr const char* kCaptionError = "Error";                      ///< operating-system errors

struct MessageRequest {
    std::string caption;
    std::string text;  ///< UTF-8; "\n" separates lines
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
    MsgAnswer defaultButton = MsgAnswer::Ok;
};

struct FileDialogRequest {
    std::string title;
    std::string filter;      ///< "Описание (*.ext)|*.ext", pairs separated by '|'
    int filterIndex = 1;     ///< 1-based, as in the filter string
    std::string defaultExt;  ///< without the dot, appended when the user types a bare name
    std::string initialDir;  ///< relative to the current directory
    std::string fileName;    ///< offered name or pattern such as "640kvm*"
};

class DialogService {
public:
    virtual ~DialogService() = default;
    /// Shows a message box and returns the button pressed (Ok for an Ok box).
    virtual MsgAnswer message(const MessageRequest& request) = 0;
    /// Open dialog; the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    /// Save dialog; the chosen path, or nothing when cancelled. Asks no overwrite question.
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;

    /// Shorthand for a box with an OK button.
    void inform(const std::string& caption, const std::string& text, MsgIcon icon) {
        message({caption, text, icon, MsgButtons::Ok, MsgAnswer::Ok});
    }
    /// Shorthand for a Yes/No question.
    bool ask(const std::string& caption, const std::string& text, MsgAnswer defaultButton = MsgAnswer::Yes) {
        return message({caption, text, MsgIcon::Question, MsgButtons::YesNo, defaultButton}) ==
               MsgAnswer::Yes;
    }
};

/// Records every call and returns prepared answers, for tests. A message box with no prepared
/// answer gets its default button; a file dialog with no prepared answer is cancelled.
class ScriptedDialogService : public DialogService {
public:
    enum class Kind { Message, Open, Save };
    struct Call {
        Kind kind;
        MessageRequest message;  ///< for Kind::Message
        FileDialogRequest file;  ///< for Kind::Open and Kind::Save
    };

    MsgAnswer message(const MessageRequest& request) override {
        m_calls.push_back({Kind::Message, request, {}});
        if (m_answers.empty()) return request.defaultButton;
        MsgAnswer a = m_answers.front();
        m_answers.pop_front();
        return a;
    }
    std::optional<std::string> openFile(const FileDialogRequest& request) override {
        m_calls.push_back({Kind::Open, {}, request});
        return takePath();
    }
    std::optional<std::string> saveFile(const FileDialogRequest& request) override {
        m_calls.push_back({Kind::Save, {}, request});
        return takePath();
    }

    /// Queues the answer of the next message box.
    void answerNext(MsgAnswer answer) { m_answers.push_back(answer); }
    /// Queues the answer of the next file dialog (nothing = cancel).
    void chooseNext(std::optional<std::string> path) { m_paths.push_back(std::move(path)); }

    const std::vector<Call>& calls() const { return m_calls; }
    /// The message boxes shown so far, in order.
    std::vector<MessageRequest> messages() const {
        std::vector<MessageRequest> out;
        for (const auto& c : m_calls)
            if (c.kind == Kind::Message) out.push_back(c.message);
        return out;
    }
    void clear() {
        m_calls.clear();
        m_answers.clear();
        m_paths.clear();
    }

private:
    std::optional<std::string> takePath() {
        if (m_paths.empty()) return std::nullopt;
        auto p = std::move(m_paths.front());
        m_paths.pop_front();
        return p;
    }

    std::vector<Call> m_calls;
    std::deque<MsgAnswer> m_answers;
    std::deque<std::optional<std::string>> m_paths;
};

}  // namespace livna
