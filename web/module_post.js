// Appended to the module's factory: what the worker needs of the runtime
// beyond its exported methods. handleSleep lets a read that must wait for
// a block of the track unwind the run and rewind it when the block came.
Module['handleSleep'] = Asyncify.handleSleep;
