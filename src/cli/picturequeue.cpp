// The queue that decodes a project's pictures ahead on worker threads.
#include "cli/picturequeue.h"

#include "cli/diagnostics.h"
#include "imaging/pictureloader.h"

#include <algorithm>

namespace bitvane {

PictureQueue::~PictureQueue()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_space.notify_all();
    for (std::thread &t : m_workers)
        t.join();
}

LoadedSprite PictureQueue::take(int index)
{
    if (m_workers.empty())
        start();
    std::unique_lock lock(m_mutex);
    if (!readyUpTo(index, index)) {
        // The compile writes faster than pictures decode, so it would
        // sleep and wake once per picture; it waits for a few instead.
        m_wantedUpTo = std::min(index + WakeBatch, int(m_pictures.size())) - 1;
        m_ready.wait(lock, [&] { return readyUpTo(index, m_wantedUpTo); });
        m_wantedUpTo = -1;
    }
    Slot &slot = m_slots[std::size_t(index) % m_slots.size()];
    LoadedSprite sprite = std::move(slot.sprite);
    const std::exception_ptr error = slot.error;
    slot = Slot{};
    m_taken = index + 1;
    lock.unlock();
    m_space.notify_one();
    if (error)
        std::rethrow_exception(error);
    return sprite;
}

void PictureQueue::start()
{
    const int workers = int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    m_slots.resize(std::size_t(workers) * 4);
    for (int i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { work(); });
}

void PictureQueue::work()
{
    const int total = int(m_pictures.size());
    for (;;) {
        int index;
        {
            std::unique_lock lock(m_mutex);
            m_space.wait(lock, [&] {
                return m_stop || m_next >= total || m_next < m_taken + int(m_slots.size());
            });
            if (m_stop || m_next >= total)
                return;
            index = m_next++;
        }
        Slot done;
        done.index = index;
        // What Qt says while a picture decodes is kept per thread; cleared
        // here, it does not pile up over a long project.
        ClearThreadDiagnostics();
        try {
            const Picture &picture = m_pictures[std::size_t(index)];
            done.sprite = LoadSprite(picture.path, picture.options);
        } catch (...) {
            done.error = std::current_exception();
        }
        bool wanted;
        {
            std::lock_guard lock(m_mutex);
            m_slots[std::size_t(index) % m_slots.size()] = std::move(done);
            wanted = m_wantedUpTo >= 0 && readyUpTo(m_taken, m_wantedUpTo);
        }
        if (wanted)
            m_ready.notify_one();
    }
}

} // namespace bitvane
