#pragma once
// How far a long command is, for whoever shows it: a progress line on the terminal,
// plain lines in a cluster log, a progress bar in R.  The session calls the
// listener at the start and end of every pass and after every species placed;
// a listener decides itself how often it shows anything.  With passes run at
// once (--jobs) the calls come from several threads.
#include <string>

namespace lorvenna {

// Any long command other than a session (a merge, a bias summary) counts
// its own steps: plan() them, step_started() and step_finished() each,
// finished() at the end.
class StepListener {
public:
    virtual ~StepListener() = default;
    // The steps to do; `work` is their total weight when they differ in size
    // (bytes to copy, say), 0 when every step weighs one.
    virtual void plan(long long steps, double work = 0.0) = 0;
    virtual void step_started(long long id, std::string label) = 0;
    // How far the step is inside: `done` of its `of` items.
    virtual void step_advanced(long long id, long long done, long long of) = 0;
    virtual void step_finished(long long id, double work = 1.0) = 0;
    virtual void finished() = 0;
};

class ProgressListener {
public:
    virtual ~ProgressListener() = default;
    // The passes the session will run (a resumed run: those it has left).  A
    // batch knows them once the file is checked, before its first pass; the
    // dialogue once its parameters are answered.  Never called: not known.
    virtual void planned(long long /*passes*/) {}
    // `row`: the data row of the batch file (0: the dialogue's parameters).
    virtual void pass_started(int /*run*/, long long /*row*/, int /*replicate*/) {}
    virtual void species_placed(int /*run*/, int /*placed*/, int /*species*/) {}
    // Once the pass's report rows are written.
    virtual void pass_finished(int /*run*/, long long /*row*/, int /*replicate*/) {}
    // Before a warning or an error is printed, so that the two never mix on one line.
    virtual void clear() {}
    // The session ends.
    virtual void finished() {}
};

}  // namespace lorvenna
