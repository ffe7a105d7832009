// Field access by name on a component with 20 fields, and update propagation over 10,000
// listeners.
#include "core/component.h"
#include "core/component_type.h"
#include "core/field.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace
{

using namespace qelt;

// 20 float fields named "f0" to "f19", reached as data members.
class cWide final : public cComponent
{
  public:
    static cComponentType& staticType();
    const cComponentType& getType() const override { return staticType(); }
    float f0 = 0, f1 = 0, f2 = 0, f3 = 0, f4 = 0, f5 = 0, f6 = 0, f7 = 0, f8 = 0, f9 = 0;
    float f10 = 0, f11 = 0, f12 = 0, f13 = 0, f14 = 0, f15 = 0, f16 = 0, f17 = 0, f18 = 0, f19 = 0;
};

using F = cFieldDescriptionMember<cWide, float>;
const F d0("f0", &cWide::f0), d1("f1", &cWide::f1), d2("f2", &cWide::f2), d3("f3", &cWide::f3),
    d4("f4", &cWide::f4), d5("f5", &cWide::f5), d6("f6", &cWide::f6), d7("f7", &cWide::f7),
    d8("f8", &cWide::f8), d9("f9", &cWide::f9), d10("f10", &cWide::f10), d11("f11", &cWide::f11),
    d12("f12", &cWide::f12), d13("f13", &cWide::f13), d14("f14", &cWide::f14),
    d15("f15", &cWide::f15), d16("f16", &cWide::f16), d17("f17", &cWide::f17),
    d18("f18", &cWide::f18), d19("f19", &cWide::f19);

cComponentType& cWide::staticType()
{
    static cComponentType type("Wide", &cComponent::staticType(), nullptr,
                               {&d0,  &d1,  &d2,  &d3,  &d4,  &d5,  &d6,  &d7,  &d8,  &d9,
                                &d10, &d11, &d12, &d13, &d14, &d15, &d16, &d17, &d18, &d19});
    return type;
}

// Arg: which field; 0 is "enabled", found first, 20 is "f19", found last.
const char* fieldName(int64_t index)
{
    static const char* names[21] = {"enabled", "f0",  "f1",  "f2",  "f3",  "f4",  "f5",
                                    "f6",      "f7",  "f8",  "f9",  "f10", "f11", "f12",
                                    "f13",     "f14", "f15", "f16", "f17", "f18", "f19"};
    return names[index];
}

void FieldGetByName(benchmark::State& state)
{
    const cRef<cWide> wide(new cWide);
    const char* name = fieldName(state.range(0));
    for (auto _ : state)
    {
        float v = 0;
        bool b = false;
        std::unique_ptr<cFieldValue> field = wide->fieldValue(name);
        benchmark::DoNotOptimize(field->getFloat(v) || field->getBool(b));
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(FieldGetByName)->Arg(0)->Arg(10)->Arg(20);

void FieldSetByName(benchmark::State& state)
{
    const cRef<cWide> wide(new cWide);
    const char* name = fieldName(state.range(0));
    float x = 0;
    for (auto _ : state)
    {
        std::unique_ptr<cFieldValue> field = wide->fieldValue(name);
        benchmark::DoNotOptimize(field->setFloat(x += 1) || field->setBool(true));
    }
    benchmark::DoNotOptimize(wide->f19);
}
BENCHMARK(FieldSetByName)->Arg(0)->Arg(10)->Arg(20);

// One source with 10,000 listeners, each with one listener of its own; one update per frame.
void UpdatePropagation(benchmark::State& state)
{
    const cRef<cComponent> source(new cComponent("source"));
    for (int i = 0; i < 10000; ++i)
    {
        cComponent* listener = new cComponent;
        listener->attachTo(*source);
        if (state.range(0))
            (new cComponent)->attachTo(*listener);
    }
    int32_t frame = 0;
    for (auto _ : state)
        source->update(cUpdateContext{++frame, 16}, nullptr);
    state.SetItemsProcessed(state.iterations() * (state.range(0) ? 20000 : 10000));
}
BENCHMARK(UpdatePropagation)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
