// A scan observer for tests: it keeps every event in order (as short
// texts such as "section: Help Files" or "finished"), the texts of each kind,
// answers questions as told, and runs a hook after every event of the
// walks, where a front end on another thread could ask the scan to stop.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "session/scan_observer.h"

namespace vostrel::testing {

class RecordingObserver : public ScanObserver {
public:
    void ScanStarted() override;
    void SectionStarted(std::string_view status) override;
    void KeyVisited(std::string_view name) override;
    void ValueVisited(std::string_view text) override;
    void ProblemFound(std::size_t total) override;
    void Progress(std::size_t row, std::size_t rows) override;
    void ScanFinished(bool cancelled) override;
    void RepairStarted() override { events.emplace_back("repair started"); }
    void RepairStep() override;
    void RepairFinished() override { events.emplace_back("repair finished"); }
    Answer Confirm(Question question) override;
    void PlaySound(std::string_view hostPath) override { sounds.emplace_back(hostPath); }

    // Runs after every section, key, value, problem, row and repair step.
    std::function<void()> onEvents;
    Answer answer = Answer::No;       // what every question is answered
    std::vector<Question> questions;  // in the order asked
    std::vector<std::string> sounds;  // host paths played
    std::vector<std::string> events;  // every event but keys, values and steps, in order
    std::vector<std::string> statuses, keys, values;
    std::size_t found = 0;  // the last problem count told
    std::string status;     // the last section status told
    int repairSteps = 0;
    bool finished = false, cancelled = false;
};

}  // namespace vostrel::testing
