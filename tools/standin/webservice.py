"""Web-service side of the vendor stand-in (being written)."""


def serve(handler, state):
    handler.send_error(404)
