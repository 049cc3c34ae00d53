#include "support/recording_observer.h"

namespace vostrel::testing {

void RecordingObserver::ScanStarted() {
    events.emplace_back("started");
    finished = cancelled = false;
    found = 0;
}

void RecordingObserver::SectionStarted(std::string_view text) {
    events.push_back("section:" + std::string(text));
    statuses.emplace_back(text);
    status = std::string(text);
    if (onEvents) onEvents();
}

void RecordingObserver::KeyVisited(std::string_view name) {
    keys.emplace_back(name);
    if (onEvents) onEvents();
}

void RecordingObserver::ValueVisited(std::string_view text) {
    values.emplace_back(text);
    if (onEvents) onEvents();
}

void RecordingObserver::ProblemFound(std::size_t total) {
    events.push_back("problem " + std::to_string(total));
    found = total;
    if (onEvents) onEvents();
}

void RecordingObserver::Progress(std::size_t row, std::size_t rows) {
    events.push_back("row " + std::to_string(row) + "/" + std::to_string(rows));
    if (onEvents) onEvents();
}

void RecordingObserver::ScanFinished(bool wasCancelled) {
    events.emplace_back(wasCancelled ? "cancelled" : "finished");
    finished = true;
    cancelled = wasCancelled;
}

Answer RecordingObserver::Confirm(Question question) {
    questions.push_back(question);
    events.emplace_back("question");
    return answer;
}

void RecordingObserver::RepairStep() {
    ++repairSteps;
    if (onEvents) onEvents();
}

}  // namespace vostrel::testing
