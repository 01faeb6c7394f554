#pragma once

#include <functional>

// The workers that serve the whole process (picture decoding, folder listings, Mandelbrot
// renders) all end at one place and the same way: when the application object goes, each
// owner is asked to stop its workers and waits until they have returned, the owner that
// registered last first. Nothing a worker uses is destroyed before then.
namespace WorkerShutdown {

// Registers how an owner stops and joins its workers. It runs once, at the end; the first
// registration made while an application object exists ties the end to that object.
void Register(std::function<void()> stop_and_wait);

// Runs the registered stops now (the application's end calls it). Later registrations run
// at the next call.
void StopAll();

}
