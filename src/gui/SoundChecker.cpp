#include "gui/SoundChecker.h"

namespace tonarion {

SoundChecker::SoundChecker(SoundInspector& inspector, QObject* parent)
    : QObject(parent)
    , m_inspector(inspector)
    , m_worker([this] { work(); }) {}

SoundChecker::~SoundChecker() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    m_worker.join();
}

void SoundChecker::check(std::vector<Sound> sounds, bool report) {
    if (sounds.empty()) {
        return;
    }
    const int batch = m_nextBatch++;
    m_batches[batch] = Batch{static_cast<int>(sounds.size()), report, {}};
    {
        std::lock_guard lock(m_mutex);
        for (auto& sound : sounds) {
            m_queue.push_back({std::move(sound), batch});
        }
    }
    m_wake.notify_all();
}

void SoundChecker::work() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping) {
                return;
            }
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        const SoundFindings findings = m_inspector.inspect(job.sound.path);
        // Queued to this object: dropped unseen if the window is gone by then.
        QMetaObject::invokeMethod(
            this,
            [this, batch = job.batch, key = job.sound.key, findings] {
                deliver(batch, key, findings);
            },
            Qt::QueuedConnection);
    }
}

void SoundChecker::deliver(int batch, const std::string& key, const SoundFindings& findings) {
    emit checked(key, findings);
    const auto found = m_batches.find(batch);
    if (found == m_batches.end()) {
        return;
    }
    Batch& open = found->second;
    if (findings.invalid()) {
        open.invalid.push_back(key);
    }
    if (--open.pending == 0) {
        const Batch done = std::move(open);
        m_batches.erase(found);
        if (done.report) {
            emit batchChecked(done.invalid);
        }
    }
}

} // namespace tonarion
