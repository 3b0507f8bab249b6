// Run and inelastic file texts with every value a test may want to change,
// each value followed by a label as users write them.
#pragma once

#include <string>
#include <vector>

namespace vantrel::testing {

// The eleven lines of a run file.
struct RunText {
    std::string SampleMode = "3";
    std::string SamplePeriod = "100";
    std::string SkipRecorded = "1";
    std::string OutputSelection = "0";
    std::string Altitude = "90.0";
    std::string Azimuth = "0.0";
    std::string Timestep = "1.0E-16";
    std::string UpdateInterval = "10";
    std::string Times = "500.0 50.0";
    std::string MaxPartners = "200";
    std::string Expression = "";
    bool WithLine11 = true;

    std::string Text() const {
        std::string t = SampleMode + "  sample mode\r\n" + SamplePeriod + "  sample period\r\n" +
                        SkipRecorded + "  skip recorded\r\n" + OutputSelection +
                        "  output selection\r\n" + Altitude + "  altitude (deg)\r\n" + Azimuth +
                        "  azimuth (deg)\r\n" + Timestep + "  timestep (s)\r\n" + UpdateInterval +
                        "  update interval\r\n" + Times + "  max, min time (fs)\r\n" +
                        MaxPartners + "  no. of partners\r\n";
        if (WithLine11) t += Expression + "\r\n";
        return t;
    }
};

// The blocks of an inelastic file; cooling and image are written only when
// asked for, as the options say they are present.
struct InlText {
    std::vector<std::string> Lss = {"29 1.5 2.0  Cu"};
    std::string LssThreshold = "1.0E4";
    std::vector<std::string> Or = {"841 2.0 3.0  Cu-Cu"};
    std::string OrRadius = "1.5";
    std::string OrScreening = "0.3";
    std::vector<std::string> St = {"841 1.2 10.0 3 0.5  Cu-Cu"};
    bool Cooling = false;
    bool Image = false;
    std::string ImageEnergy = "5.0";
    std::string ImageDistance = "1.0";

    std::string Text() const {
        std::string t = "Inelastic parameters for copper\n";
        t += std::to_string(Lss.size()) + "  LSS lines\n";
        for (const std::string& line : Lss) t += line + "\n";
        t += LssThreshold + "  LSS speed threshold\n";
        t += "Oen-Robinson\n" + std::to_string(Or.size()) + "  OR lines\n";
        for (const std::string& line : Or) t += line + "\n";
        t += OrRadius + "  OR radius (A)\n" + OrScreening + "  screening coefficient\n";
        t += "Shapiro-Tombrello\n" + std::to_string(St.size()) + "  ST lines\n";
        for (const std::string& line : St) t += line + "\n";
        if (Cooling)
            t += "Cooling\n100.0  period (fs)\n300  goal (K)\n12.5 200.0  start, stop (fs)\n";
        if (Image)
            t += "Image potential\n" + ImageEnergy + "  energy (eV)\n" + ImageDistance +
                 "  distance (A)\n";
        return t;
    }
};

}  // namespace vantrel::testing
