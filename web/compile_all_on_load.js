//# allFunctionsCalledOnLoad
