#pragma once
// Where a session is, for whoever shows it: a progress line on the terminal,
// plain lines in a cluster log, a progress bar in R.  The session calls the
// listener at the start and end of every pass and after every species placed;
// a listener decides itself how often it shows anything.  With passes run at
// once (--jobs) the calls come from several threads.
namespace lorvenna {

class ProgressListener {
public:
    virtual ~ProgressListener() = default;
    // The passes the session will run, when known (0: a dialogue, or not yet known).
    virtual void planned(long long /*passes*/) {}
    virtual void pass_started(int /*run*/, long long /*row*/, int /*replicate*/) {}
    virtual void species_placed(int /*run*/, int /*placed*/, int /*species*/) {}
    virtual void pass_finished(int /*run*/, long long /*row*/, int /*replicate*/) {}
    // Before a warning or an error is printed, so that the two never mix on one line.
    virtual void clear() {}
    // The session ends.
    virtual void finished() {}
};

}  // namespace lorvenna
