// The detector front end of the dynamics sections: the gate and both compressor types
// rectify their key (or the signal itself), optionally take it to mid/side, run the
// detection mode's low-pass over it and split long calls into chunks their buffers hold,
// all through here, so the three detect alike by construction.
//
// Threads: SetSampleRate runs while audio is stopped; everything else belongs to the
// audio thread. Nothing allocates.
#pragma once

#include "dsp/IIR.h"

#include <cstdint>
#include <limits>

namespace dynamics {

// "Comp Detection Mode" / "Gate Detection Mode".
enum EDetection : int32_t { kPeak = 0, kPower = 1, kC165 = 2 };
// "Comp Mode".
enum EStereoMode : int32_t { kLinked = 0, kStereo = 1, kMidSide = 2 };

}  // namespace dynamics

// Level detector shared by the gate and both compressor types: rectifier, detection-mode low-pass, chunking.
class CDetector {
public:
    // Largest chunk a section hands to the detector (the length of its buffers).
    static constexpr int32_t kMaxFrames = 64;

    // Designed for 44100 Hz until SetSampleRate.
    CDetector();

    // Designs both low-passes for the rate. Their state carries on.
    void SetSampleRate(int32_t rate);

    // dL = |keyL|, dR = |keyR| (the signal when keyL is null; keys come in pairs). In M/S
    // mode the detector becomes |(kL + kR)/2|, |(kL - kR)/2| and the signal is replaced in
    // place by M = (L + R)/2, S = (L - R)/2. Returns the input level, max (|kL| + |kR|)/2,
    // taken before the transform. Keys may alias the signal.
    static double RectifyStereo(double* l, double* r, const double* keyL, const double* keyR, int32_t n,
                                int32_t stereoMode, double* dL, double* dR);
    // d = |key| (the signal when key is null); returns max d.
    static double RectifyMono(const double* x, const double* key, int32_t n, double* d);
    // L = M + S, R = M - S: back from the transform RectifyStereo applies in M/S mode.
    static void DecodeMidSide(double* l, double* r, int32_t n);

    // Runs the low-pass of the mode (dynamics::EDetection; peak and unknown modes have
    // none) in place over the rectified buffers, the left state for mono (dR null).
    void Filter(int32_t mode, double* dL, double* dR, int32_t n);
    // Filter, then returns the detected level, max (dL + dR)/2 (max dL in mono).
    double Detect(int32_t mode, double* dL, double* dR, int32_t n);

    // Runs block(offset, count) over n frames in pieces of at most chunk frames and folds
    // the pieces' meter results into the whole call's: the loudest input and detected
    // levels and the smallest gain (1 for an empty call, infinity when no gain was a
    // number). The three references are the section's meter results, which each block
    // overwrites. The chunk length is the section's own: the detector low-passes and the
    // envelopes flush tiny values at every chunk end, so it is part of what a section
    // computes.
    template <class Block>
    static void RunInChunks(int32_t n, int32_t chunk, double& inputLevel, double& detectedLevel, double& minGain,
                            Block block)
    {
        double input = 0.0, detected = 0.0, smallest = std::numeric_limits<double>::infinity();
        for (int32_t done = 0; done < n; done += chunk) {
            block(done, n - done < chunk ? n - done : chunk);
            input = inputLevel > input ? inputLevel : input;
            detected = detectedLevel > detected ? detectedLevel : detected;
            smallest = minGain < smallest ? minGain : smallest;
        }
        inputLevel = input;
        detectedLevel = detected;
        minGain = n > 0 ? smallest : 1.0;
    }

private:
    CIIR power_, c165_;  // one design each, separate left and right state
};
