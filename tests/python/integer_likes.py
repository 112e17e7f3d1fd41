"""Objects that are integers only through one protocol each."""


class Index:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class Integral:
    def __init__(self, value):
        self.value = value

    def __int__(self):
        return self.value
