// ui::BackgroundJob: one thread per job owner, woken by an event. What the thread and the form
// share is kept by both, so that a thread still inside a slow disk call when its owner goes
// never touches freed memory; the process's end stops it.
#include <windows.h>

#include <memory>
#include <new>
#include <string>

#include "toolkit.h"
#include "win32_native.h"

namespace {

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { ::AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ::ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace

struct ui::BackgroundJob::Native {
    SRWLOCK lock = SRWLOCK_INIT;  // guards everything below but the handles
    win32::UniqueHandle wake{::CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    HWND window = nullptr;
    WPARAM id = 0;
    std::function<std::string()> waiting;  // the next job, if any
    unsigned started = 0;                  // how many jobs were started or cancelled
    unsigned answered = 0;                 // the number of the job whose answer is kept
    std::string answer;
    bool stopping = false;
    bool threadStarted = false;  // the form's

    static bool StartThread(const std::shared_ptr<Native>& native);
    static DWORD WINAPI Run(void* shared);
};

DWORD WINAPI ui::BackgroundJob::Native::Run(void* shared) {
    const std::unique_ptr<std::shared_ptr<Native>> owner(static_cast<std::shared_ptr<Native>*>(shared));
    Native& native = **owner;
    while (::WaitForSingleObject(native.wake.get(), INFINITE) == WAIT_OBJECT_0) {
        std::function<std::string()> job;
        unsigned number = 0;
        {
            const ExclusiveLock locked(native.lock);
            if (native.stopping) break;
            job.swap(native.waiting);
            number = native.started;
        }
        if (!job) continue;
        std::string answer;
        try {
            answer = job();
        } catch (const std::bad_alloc&) {
            continue;  // no answer: what was shown before the job stays
        }
        {
            const ExclusiveLock locked(native.lock);
            native.answer = std::move(answer);
            native.answered = number;
        }
        ::PostMessageW(native.window, win32::AnswerReady, native.id, 0);
    }
    return 0;
}

ui::BackgroundJob::BackgroundJob(Form& form) : form_(form), native_(std::make_shared<Native>()) {
    static WPARAM nextId = 1;
    id_ = nextId++;
    native_->id = id_;
    native_->window = win32::ToHwnd(form.Handle());
    form_.GetNative().jobs[id_] = this;
}

// Made at the first job, so that a start costs no thread.
bool ui::BackgroundJob::Native::StartThread(const std::shared_ptr<Native>& native) {
    if (native->threadStarted) return true;
    if (!native->wake) return false;
    auto* shared = new std::shared_ptr<Native>(native);
    // The thread's handle is not needed: it is never waited for.
    const HANDLE thread = ::CreateThread(nullptr, 0, Run, shared, 0, nullptr);
    if (thread == nullptr) {
        delete shared;
        return false;
    }
    ::CloseHandle(thread);
    native->threadStarted = true;
    return true;
}

ui::BackgroundJob::~BackgroundJob() {
    form_.GetNative().jobs.erase(id_);
    if (!native_->threadStarted) return;
    {
        const ExclusiveLock locked(native_->lock);
        native_->stopping = true;
        native_->waiting = nullptr;
    }
    ::SetEvent(native_->wake.get());
}

void ui::BackgroundJob::Start(std::function<std::string()> job) {
    if (!Native::StartThread(native_)) return;
    {
        const ExclusiveLock locked(native_->lock);
        native_->waiting = std::move(job);
        ++native_->started;
    }
    ::SetEvent(native_->wake.get());
}

void ui::BackgroundJob::Cancel() {
    const ExclusiveLock locked(native_->lock);
    native_->waiting = nullptr;
    ++native_->started;
}

void ui::BackgroundJob::Deliver() {
    std::string answer;
    {
        const ExclusiveLock locked(native_->lock);
        if (native_->answered != native_->started) return;
        answer.swap(native_->answer);
        ++native_->started;  // given once
    }
    win32::RunHandler([this, &answer] {
        if (onAnswer) onAnswer(answer);
    });
}
