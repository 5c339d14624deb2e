// A library for the run-time loader's tests, built beside the test binary.
extern "C" {

__attribute__((visibility("default"))) int corvane_loader_test_answer() { return 42; }

}
