# The tests that take longest, given a cost so that ctest starts them first (see CMakeLists.txt).
set_tests_properties(
  PlanCommandTest.PrintsAndWritesWhatTheDialogueDoes
  GoalSearchTest.SeededPlansReplayAndBeatTheFirstFound
  PlanTest.TradeoffPointsAreThePlansOfTheirBudgets
  CommandLineTest.AnswersAreTheLinesOfTheCaseFiles
  PlanRequestTest.PlansAreTheConsoleProgramsAndReplay
  TradeoffsTest.SeededFrontsRunFromTheShortestToTheCheapest
  PROPERTIES COST 1000)
