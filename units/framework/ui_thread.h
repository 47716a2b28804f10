// Work on units from any thread happens on the thread that owns the program's
// windows: the caller waits, so calls keep the order one thread makes them in
// and their results come back.
#pragma once
#include <functional>

namespace velmora {

void RunOnWindowThread(const std::function<void()>& work);

template <class Result>
Result OnWindowThread(const std::function<Result()>& work) {
    Result result{};
    RunOnWindowThread([&] { result = work(); });
    return result;
}

// The same without waiting, for work whose result nobody needs: it runs on
// the window thread in the order posted, or not at all once the window is
// gone. On the window thread itself it runs at once.
void PostToWindowThread(std::function<void()> work);

// Called by the runtime's hidden window for a marshalled call; false when the
// program's window is gone and the work was refused.
bool RunMarshalledWork(void* work);
// The same for posted work, which it also frees.
void RunPostedWork(void* work);

}  // namespace velmora
