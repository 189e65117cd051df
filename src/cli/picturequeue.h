// The queue that decodes a project's pictures ahead on worker threads.
#pragma once

#include "imaging/pictureloader.h"

#include <QString>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace bitvane {

// Decoding is nearly all of a compile's time, so the pictures are decoded
// ahead on worker threads while the compile writes the ones before. The
// compile still takes them strictly in order, and a failure is reported for
// the first bad picture in project order, so the output and the message do
// not depend on timing. The look-ahead is bounded, so memory does not grow
// with the size of the project.
class PictureQueue {
public:
    struct Picture {
        QString path;
        PictureOptions options;
    };

    explicit PictureQueue(std::vector<Picture> pictures) : m_pictures(std::move(pictures)) {}

    ~PictureQueue();

    PictureQueue(const PictureQueue &) = delete;
    PictureQueue &operator=(const PictureQueue &) = delete;

    // The pictures must be taken in order, from 0.
    LoadedSprite take(int index);

private:
    static constexpr int WakeBatch = 4; // at most the number of slots

    struct Slot {
        int index = -1; // the picture the slot holds, -1 while it is empty
        LoadedSprite sprite;
        std::exception_ptr error;
    };

    // Whether pictures first to last have all arrived (mutex held).
    bool readyUpTo(int first, int last) const
    {
        for (int i = first; i <= last; ++i)
            if (m_slots[std::size_t(i) % m_slots.size()].index != i)
                return false;
        return true;
    }

    void start();

    void work();

    std::vector<Picture> m_pictures;
    std::vector<Slot> m_slots;
    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_ready; // a picture arrived in its slot
    std::condition_variable m_space; // a slot was emptied, or stop
    int m_next = 0;                  // the next picture a worker decodes
    int m_taken = 0;                 // pictures the compile has taken
    int m_wantedUpTo = -1;           // the compile waits for the pictures up to this one
    bool m_stop = false;
};

} // namespace bitvane
