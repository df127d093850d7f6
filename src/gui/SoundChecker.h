#pragma once

#include "sound/SoundInspector.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tonarion {

// Looks into sound files on a worker thread, one file at a time, so that a stick of hundreds
// of sounds never holds up the window. Each finding comes back on the GUI thread.
class SoundChecker final : public QObject {
    Q_OBJECT
public:
    // A row's sound: its key is the row's source path; the file read may be the stick's copy.
    struct Sound {
        std::string key;
        std::string path;
    };

    explicit SoundChecker(SoundInspector& inspector, QObject* parent = nullptr);
    // Waits for the file being looked into; the rest of the queue is dropped.
    ~SoundChecker() override;

    // Queues the sounds. With report set, invalidFound follows once all of them are done.
    void check(std::vector<Sound> sounds, bool report);

signals:
    void checked(const std::string& key, const tonarion::SoundFindings& findings);
    // The keys of a reported batch whose files would not play, in the order queued.
    void batchChecked(const std::vector<std::string>& invalidKeys);

private:
    struct Job {
        Sound sound;
        int batch;
    };
    struct Batch {
        int pending = 0;
        bool report = false;
        std::vector<std::string> invalid;
    };

    void work();
    void deliver(int batch, const std::string& key, const SoundFindings& findings);

    SoundInspector& m_inspector;
    std::map<int, Batch> m_batches; // GUI thread only
    int m_nextBatch = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_queue;
    bool m_stopping = false;
    std::thread m_worker;
};

} // namespace tonarion
