#pragma once
// Voltage-controlled amplifier with a linear and an exponential control input.
// The initial gain is a ramped knob gain owned by the graph and passed to vcaProcess.

namespace qv {

struct Vca {
    float linearCv = 0.0f;
    float exponentialCv = 0.0f;
};

// Set-control of the linear input (control sum in volts): 0.1 per volt. Audio thread.
void vcaLinearCv(Vca& vca, float volts);
// Set-control of the exponential input: (10^(0.1 v) - 1) x 0.11111, saturating at 10 V.
void vcaExpCv(Vca& vca, float volts);
// Process (audio sum x, current ramped initial gain): (gain + linear + exponential) x x.
float vcaProcess(Vca& vca, float x, float gain);

} // namespace qv
