// The wizard state machine: ending on a null factory result or a null state, each state deleted
// once and before its successor runs, also when its step throws.
#include <gtest/gtest.h>

#include "program/core/sfsm/CStateMachine.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace {

struct CWizardContext {
    int lastStep = 0;      // the step that ends the run (returns null); 0: no first state
    int throwingStep = 0;  // a step whose Execute throws, 0 for none
    std::string log;       // what happened, in order
};

class CStepState : public SDP::SFSM::CState<CWizardContext> {
public:
    CStepState(CWizardContext* context, int step) : CState(context), m_step(step) {}
    ~CStepState() override { GetContext()->log += " delete " + std::to_string(m_step); }
    std::unique_ptr<CState> Execute() override {
        CWizardContext* context = GetContext();
        context->log += " execute " + std::to_string(m_step);
        if (m_step == context->throwingStep) {
            throw std::runtime_error("step failed");
        }
        return m_step >= context->lastStep ? nullptr
                                           : std::make_unique<CStepState>(context, m_step + 1);
    }

private:
    int m_step;
};

class CStepFactory : public SDP::SFSM::CStateFactory<CWizardContext> {
public:
    std::unique_ptr<SDP::SFSM::CState<CWizardContext>> CreateInitialState(
        CWizardContext* context) override {
        context->log += "factory";
        return context->lastStep == 0 ? nullptr : std::make_unique<CStepState>(context, 1);
    }
};

std::string RunWizard(int lastStep, int throwingStep = 0) {
    CWizardContext context{lastStep, throwingStep, {}};
    CStepFactory factory;
    try {
        SDP::SFSM::CStateMachine<CWizardContext>::Run(factory, &context);
    } catch (const std::runtime_error&) {
        context.log += " thrown";
    }
    return context.log;
}

}  // namespace

TEST(StateMachine, EachStateIsDeletedOnceBeforeItsSuccessorRunsOrWhenItsStepThrows) {
    EXPECT_EQ(RunWizard(0), "factory");
    EXPECT_EQ(RunWizard(1), "factory execute 1 delete 1");
    EXPECT_EQ(RunWizard(3), "factory execute 1 delete 1 execute 2 delete 2 execute 3 delete 3");
    EXPECT_EQ(RunWizard(5, 2), "factory execute 1 delete 1 execute 2 delete 2 thrown");
}
