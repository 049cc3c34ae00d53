// The one way the core tells its front end what a scan (or a repair) is
// doing and asks it a question. The desktop program maps the events to its
// labels and bars, the command line to its progress line, the tests record
// them. The core never names a widget; it keeps its state in the session.
// The events come on the thread that runs the work (the desktop program's
// worker): a front end whose widgets live elsewhere passes them over.
#pragma once

#include <cstddef>
#include <string_view>

namespace vostrel {

// A question the core asks, or a notice it gives, through the front end.
enum class Question {
    CancelScan,     // a scan that found something is to be cancelled: sure?
    DeleteBackup,   // a backup file is to be deleted: sure?
    FilesRepaired,  // notice: every problem was repaired
    FilesKept,      // notice: some problems were kept
};

enum class Answer { None, Yes, No };

class ScanObserver {
public:
    virtual ~ScanObserver() = default;

    // A scan begins (the problem lists were emptied) and a section (or a
    // drive's shortcut walk) starts; `status` is the text the program shows
    // for it (" Custom Controls....").
    virtual void ScanStarted() {}
    virtual void SectionStarted(std::string_view /*status*/) {}
    // The walk is at a key (or, on a drive, a folder) ...
    virtual void KeyVisited(std::string_view /*name*/) {}
    // ... and looks at a value's data (or a file's name).
    virtual void ValueVisited(std::string_view /*text*/) {}
    // False for an observer whose ValueVisited (KeyVisited) shows and keeps
    // nothing: a walk that checks no value then need not read the values
    // (nor, when neither is shown, walk the keys) at all.
    virtual bool ShowsValues() const { return true; }
    virtual bool ShowsKeys() const { return true; }
    // A problem was recorded; `total` counts all problems found so far.
    virtual void ProblemFound(std::size_t /*total*/) {}
    // Catalogue row `row` of `rows` (counted from 1) is about to run.
    virtual void Progress(std::size_t /*row*/, std::size_t /*rows*/) {}
    // The scan ended: whole, or stopped by a cancel. The last event of a scan.
    virtual void ScanFinished(bool /*cancelled*/) {}

    // The repair starts removing registry values, has done one more item,
    // and is over (before its closing notice).
    virtual void RepairStarted() {}
    virtual void RepairStep() {}
    virtual void RepairFinished() {}

    // A question (or a notice, whose answer is None).
    virtual Answer Confirm(Question) { return Answer::No; }
    // Plays the detection sound file (a host path).
    virtual void PlaySound(std::string_view /*hostPath*/) {}
};

// An observer that hears nothing and answers No.
class SilentObserver final : public ScanObserver {
public:
    bool ShowsValues() const override { return false; }
    bool ShowsKeys() const override { return false; }
};

}  // namespace vostrel
