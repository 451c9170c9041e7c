// The wizard state machine: ending on a null factory or a null state, each state deleted once
// and before its successor runs, and a state deleted when its step throws.
#include <gtest/gtest.h>

#include "program/core/sfsm/CStateMachine.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct CWizardContext {
    int lastStep = 0;      // the step that ends the run (returns null)
    int throwingStep = 0;  // a step whose Execute throws, 0 for none
    std::vector<std::string> log;
    int built = 0;
    int deleted = 0;
};

class CStepState : public SDP::SFSM::CState<CWizardContext> {
public:
    CStepState(CWizardContext* context, int step) : CState(context), m_step(step) {
        ++GetContext()->built;
    }
    ~CStepState() override {
        GetContext()->log.push_back("delete " + std::to_string(m_step));
        ++GetContext()->deleted;
    }
    std::unique_ptr<CState> Execute() override {
        CWizardContext* context = GetContext();
        context->log.push_back("execute " + std::to_string(m_step));
        if (m_step == context->throwingStep) {
            throw std::runtime_error("step failed");
        }
        if (m_step >= context->lastStep) {
            return nullptr;
        }
        return std::make_unique<CStepState>(context, m_step + 1);
    }

private:
    int m_step;
};

class CStepFactory : public SDP::SFSM::CStateFactory<CWizardContext> {
public:
    explicit CStepFactory(bool none = false) : m_none(none) {}
    std::unique_ptr<SDP::SFSM::CState<CWizardContext>> CreateInitialState(
        CWizardContext* context) override {
        ++calls;
        seen = context;
        if (m_none) {
            return nullptr;
        }
        return std::make_unique<CStepState>(context, 1);
    }
    int calls = 0;
    CWizardContext* seen = nullptr;

private:
    bool m_none;
};

}  // namespace

TEST(StateMachine, NullFactoryResultEndsAtOnce) {
    CWizardContext context;
    CStepFactory factory(true);
    SDP::SFSM::CStateMachine<CWizardContext>::Run(factory, &context);
    EXPECT_EQ(factory.calls, 1);
    EXPECT_EQ(factory.seen, &context);
    EXPECT_TRUE(context.log.empty());
}

TEST(StateMachine, EachStateIsDeletedOnceBeforeItsSuccessorRuns) {
    CWizardContext context;
    context.lastStep = 3;
    CStepFactory factory;
    SDP::SFSM::CStateMachine<CWizardContext>().Run(factory, &context);
    EXPECT_EQ(context.log, std::vector<std::string>({"execute 1", "delete 1", "execute 2",
                                                     "delete 2", "execute 3", "delete 3"}));
    EXPECT_EQ(context.built, 3);
    EXPECT_EQ(context.deleted, 3);
}

TEST(StateMachine, CancellingTheFirstStateCreatesNoOther) {
    CWizardContext context;
    context.lastStep = 1;
    CStepFactory factory;
    SDP::SFSM::CStateMachine<CWizardContext>::Run(factory, &context);
    EXPECT_EQ(context.log, std::vector<std::string>({"execute 1", "delete 1"}));
    EXPECT_EQ(context.built, 1);
}

TEST(StateMachine, StateWhoseStepThrowsIsStillDeleted) {
    CWizardContext context;
    context.lastStep = 5;
    context.throwingStep = 2;
    CStepFactory factory;
    EXPECT_THROW(SDP::SFSM::CStateMachine<CWizardContext>::Run(factory, &context),
                 std::runtime_error);
    EXPECT_EQ(context.built, 2);
    EXPECT_EQ(context.deleted, 2);
}
