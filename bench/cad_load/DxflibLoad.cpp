// The peer of bench_cad_load: dxflib's parser (Debian's libdxflib-dev) reads
// the same drawing through DL_Dxf and counts the entities it hands over,
// so that its figures stand beside our reader's measured in the same run.
// An entity is one callback of an entity kind; vertices, hatch loops and
// edges, spline points and attributes belong to their entity.
//   bench_dxflib_load FILE.dxf

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

namespace {

class EntityCounter : public DL_CreationAdapter {
public:
    unsigned long long entities = 0;
    unsigned long long layers = 0;

    void addLayer(const DL_LayerData&) override { ++layers; }
    void addPoint(const DL_PointData&) override { ++entities; }
    void addLine(const DL_LineData&) override { ++entities; }
    void addXLine(const DL_XLineData&) override { ++entities; }
    void addRay(const DL_RayData&) override { ++entities; }
    void addArc(const DL_ArcData&) override { ++entities; }
    void addCircle(const DL_CircleData&) override { ++entities; }
    void addEllipse(const DL_EllipseData&) override { ++entities; }
    void addPolyline(const DL_PolylineData&) override { ++entities; }
    void addSpline(const DL_SplineData&) override { ++entities; }
    void addInsert(const DL_InsertData&) override { ++entities; }
    void addTrace(const DL_TraceData&) override { ++entities; }
    void add3dFace(const DL_3dFaceData&) override { ++entities; }
    void addSolid(const DL_SolidData&) override { ++entities; }
    void addMText(const DL_MTextData&) override { ++entities; }
    void addText(const DL_TextData&) override { ++entities; }
    void addArcAlignedText(const DL_ArcAlignedTextData&) override { ++entities; }
    void addDimAlign(const DL_DimensionData&, const DL_DimAlignedData&) override { ++entities; }
    void addDimLinear(const DL_DimensionData&, const DL_DimLinearData&) override { ++entities; }
    void addDimRadial(const DL_DimensionData&, const DL_DimRadialData&) override { ++entities; }
    void addDimDiametric(const DL_DimensionData&, const DL_DimDiametricData&) override { ++entities; }
    void addDimAngular(const DL_DimensionData&, const DL_DimAngular2LData&) override { ++entities; }
    void addDimAngular3P(const DL_DimensionData&, const DL_DimAngular3PData&) override { ++entities; }
    void addDimOrdinate(const DL_DimensionData&, const DL_DimOrdinateData&) override { ++entities; }
    void addLeader(const DL_LeaderData&) override { ++entities; }
    void addHatch(const DL_HatchData&) override { ++entities; }
    void addImage(const DL_ImageData&) override { ++entities; }
};

double cpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: bench_dxflib_load FILE.dxf\n", stderr);
        return 2;
    }
    const double cpu0 = cpuSeconds();
    const auto wall0 = std::chrono::steady_clock::now();
    EntityCounter counter;
    DL_Dxf dxf;
    if (!dxf.in(argv[1], &counter)) {
        std::fprintf(stderr, "bench_dxflib_load: cannot read %s\n", argv[1]);
        return 2;
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("dxflib_layers %llu\ndxflib_entities %llu\n", counter.layers, counter.entities);
    std::printf("dxflib_load_cpu_seconds %.3f\ndxflib_load_seconds %.3f\ndxflib_peak_mb %.1f\n", cpuSeconds() - cpu0,
                wall, usage.ru_maxrss / 1024.0);
    return 0;
}
